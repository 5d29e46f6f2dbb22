// A protocol file that reaches into the ui layer.
#include "client/ui/window.h"

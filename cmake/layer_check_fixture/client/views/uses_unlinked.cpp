// A views file that includes a header of a library it does not link.
#include "client/shell/house_desk_app.h"

// A views file that includes a header of a library it does not link.
#include "client/shell/app/house_desk_app.h"

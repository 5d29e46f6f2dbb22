// A core file that includes Qt.
#include <QString>

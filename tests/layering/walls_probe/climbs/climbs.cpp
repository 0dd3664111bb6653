// Reaches print/ through the link of model/ in the include root.
#include "model/../print/print_device.h"

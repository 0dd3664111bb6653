// Finds a header of its own folder by its bare name, beside every include root.
#include "print_device.h"

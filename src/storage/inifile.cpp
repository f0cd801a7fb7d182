#include "storage/inifile.h"

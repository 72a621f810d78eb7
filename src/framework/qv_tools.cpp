#include "framework/qv_tools.h"

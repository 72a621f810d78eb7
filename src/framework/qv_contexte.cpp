#include "framework/qv_contexte.h"

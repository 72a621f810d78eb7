#pragma once
#include <QString>

// The product version, four numbers ("1.0.0.0").
QString TraluVersion();

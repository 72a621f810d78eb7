#include "platform/version.h"

QString TraluVersion() {
    return QStringLiteral(TRALU_VERSION);
}

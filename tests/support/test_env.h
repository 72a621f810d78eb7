#pragma once
#include <string>

namespace tralu::test {

// Points HOME, XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME and
// TRALU_SETTINGS at a new temporary folder (removed at exit unless
// TRALU_KEEP_TEST_DIR is set), and sets the offscreen platform and the
// silent audio sink unless the caller already chose others.
void IsolateEnvironment();

// The temporary folder made by IsolateEnvironment().
const std::string& TestHome();

} // namespace tralu::test

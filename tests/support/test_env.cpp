#include "test_env.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace tralu::test {
namespace {
std::string g_home;

void RemoveHome() {
    if (!g_home.empty() && !std::getenv("TRALU_KEEP_TEST_DIR")) {
        std::error_code ec;
        std::filesystem::remove_all(g_home, ec);
    }
}
} // namespace

void IsolateEnvironment() {
    if (!g_home.empty())
        return;
    std::string templ = (std::filesystem::temp_directory_path() / "tralu-test-XXXXXX").string();
    if (!mkdtemp(templ.data()))
        throw std::runtime_error("cannot create a temporary test folder");
    g_home = templ;
    const auto sub = [](const char* name) {
        auto p = std::filesystem::path(g_home) / name;
        std::filesystem::create_directories(p);
        return p.string();
    };
    setenv("HOME", g_home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", sub(".config").c_str(), 1);
    setenv("XDG_DATA_HOME", sub(".local/share").c_str(), 1);
    setenv("XDG_CACHE_HOME", sub(".cache").c_str(), 1);
    setenv("XDG_STATE_HOME", sub(".local/state").c_str(), 1);
    const std::string runtime = sub("run");
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("TRALU_SETTINGS", (sub(".config/Quarnet") + "/user.reg").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TRALU_AUDIO_SINK", "fakesink sync=true", 0);
    // The desktop's session bus is left alone: a test that needs a bus runs
    // under a private one (dbus-run-session) and says so.
    if (!std::getenv("TRALU_PRIVATE_BUS"))
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
    std::atexit(RemoveHome);
}

const std::string& TestHome() { return g_home; }

} // namespace tralu::test

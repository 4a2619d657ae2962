// The settings' one home: the default hosts and their overrides.
#include "app/settings.h"

#include <cstdlib>
#include <mutex>

namespace {

// The defaults. The real sites' hosts are set at start through the
// environment; these stand in until then.
const Settings kDefaults = {
    "sourcea.example",
    "sourceb.example",
    "sourcec.example",
    "update.example",
};

std::mutex g_mutex;
Settings g_settings = kDefaults;

Text Override(EnvironmentLookup lookup, const char* name, const Text& fallback) {
  const char* value = lookup(name);
  return (value && *value) ? Text(value) : fallback;
}

const char* ProcessEnvironment(const char* name) { return std::getenv(name); }

}  // namespace

Settings CurrentSettings() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_settings;
}

void LoadSettings(EnvironmentLookup lookup) {
  if (!lookup) lookup = ProcessEnvironment;
  Settings s;
  s.source_a_host = Override(lookup, "LANTISK_SOURCEA_HOST", kDefaults.source_a_host);
  s.source_b_host = Override(lookup, "LANTISK_SOURCEB_HOST", kDefaults.source_b_host);
  s.source_c_host = Override(lookup, "LANTISK_SOURCEC_HOST", kDefaults.source_c_host);
  s.update_host = Override(lookup, "LANTISK_UPDATE_HOST", kDefaults.update_host);
  std::lock_guard<std::mutex> lock(g_mutex);
  g_settings = s;
}

// The loopback test sites (tests/sites/) as the tests see them. CTest starts
// them before any test and names their address file in LANTISK_TEST_SITES.
#pragma once

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "net/web_request.h"

namespace sites_internal {

// name=value lines: each site's host:port, "ca" and "ca_in_system_store".
inline const std::map<std::string, std::string>& Entries() {
  static const std::map<std::string, std::string> entries = [] {
    std::map<std::string, std::string> read;
    const char* path = std::getenv("LANTISK_TEST_SITES");
    std::ifstream file(path ? path : "");
    for (std::string line; std::getline(file, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      size_t equals = line.find('=');
      if (equals != std::string::npos) read[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return read;
  }();
  return entries;
}

inline Text Control(const std::string& what, const std::string& name) {
  return WebRequest("http://" + Entries().at("control") + "/" + what + "?site=" + name);
}

}  // namespace sites_internal

// "localhost:PORT" of a site; empty when the sites are not running.
inline Text SiteHost(const std::string& name) {
  auto found = sites_internal::Entries().find(name);
  return found == sites_internal::Entries().end() ? Text() : found->second;
}

// The request lines ("GET /path HTTP/1.1") the site has received, oldest first.
inline std::vector<std::string> SiteLog(const std::string& name) {
  return Split(sites_internal::Control("_log", name), "\n");
}

inline void ClearSiteLog(const std::string& name) { sites_internal::Control("_clear", name); }

// Chooses the page variant a site serves (tests/sites/<site>/<variant>.html).
inline void SetSiteVariant(const std::string& name, const std::string& variant) {
  sites_internal::Control("_set", name + "&variant=" + variant);
}

// Why the https sites cannot be reached, or empty when they can. WinINet
// trusts only the system store, which the sites can fill only as root.
inline std::string HttpsUnavailable() {
  if (SiteHost("webs").empty()) return "the test sites are not running";
#ifdef _WIN32
  if (SiteHost("ca_in_system_store") != "1")
    return "the test CA is not in the system store (run the tests as root to install it); "
           "the HTTPS cases are skipped";
#endif
  return {};
}

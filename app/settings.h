// The program's settings: the hosts of the three sites and of the update
// page ("host" or "host:port"). Their defaults live in settings.cpp; the
// environment variables LANTISK_SOURCEA_HOST, LANTISK_SOURCEB_HOST,
// LANTISK_SOURCEC_HOST and LANTISK_UPDATE_HOST override them at start.
#pragma once

#include "text/text.h"

struct Settings {
  Text source_a_host;
  Text source_b_host;
  Text source_c_host;
  Text update_host;
};

// The settings in force.
Settings CurrentSettings();

// Reads the overrides through `lookup` (the process environment by default);
// a variable that is unset or empty keeps the default.
using EnvironmentLookup = const char* (*)(const char* name);
void LoadSettings(EnvironmentLookup lookup = nullptr);

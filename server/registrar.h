// Runs registration scripts in the registrar format: nested keys with default
// string values, named string values ("val"), and the key flags NoRemove (kept on
// unregistration) and ForceRemove (re-created from scratch on registration).
// Names and values are bare words or quoted with '...' ('' is a quote).
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>

namespace Server {

struct RegistrarOptions {
  // Root key for each root name of the script (for example "HKCR").
  std::map<std::wstring, HKEY> roots;
  // %NAME% replacements, applied to the text before parsing.
  std::map<std::wstring, std::wstring> replacements;
  // Unregistration only: keys (path below the root, '\'-separated) to leave in place.
  std::function<bool(const std::wstring& path)> keep;
};

// Throws TAVQ::Win32Exception for a registry failure and TAVQ::Exception for a
// malformed script.
void RunRegistrationScript(const std::wstring& script, const RegistrarOptions& options, bool registering);

}  // namespace Server

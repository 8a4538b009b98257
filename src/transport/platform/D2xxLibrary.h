// Where the FTDI transport's entry points come from: FTDI's own library loaded at run time, or our
// layer over the kernel's ftdi_sio ttys. Whoever holds the object keeps the entry points valid.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "D2xx.h"
#include "TransportSettings.h"

namespace rukmox::platform {

class D2xxLibrary {
 public:
  virtual ~D2xxLibrary() = default;
  const D2xxEntryPoints& Entries() const { return entries_; }
  // False when a named library file could not be loaded; every entry point is then null.
  virtual bool Loaded() const { return true; }
  // Why it could not be loaded, in the system's words; empty when it was.
  virtual std::string LoadProblem() const { return {}; }

 protected:
  // Looks up each of the 17 names; a name `lookup` does not know stays null.
  void ResolveEntries(const std::function<void*(const char*)>& lookup);

  D2xxEntryPoints entries_{};
};

// Linux: the settings' D2XX library file when they name one, through dlopen. Otherwise our own
// ftdi_sio layer, listing the settings' dongle first as "Wireless Port" and looking under their
// roots.
// Windows: our layer when the settings name the dongle's COM port; else the library file they
// name, else FTDI's ftd2xx.dll where it is installed, else our layer over the COM ports of FTDI's
// virtual COM port driver.
std::unique_ptr<D2xxLibrary> LoadD2xxLibrary(const TransportSettings& settings);

// Load the file (dlopen, LoadLibraryW) and look up the 17 names; a missing file or name leaves
// nulls.
std::unique_ptr<D2xxLibrary> LoadD2xxLibraryFile(const std::string& path);

// Our layer over serial ports: the kernel's ftdi_sio ttys on Linux, the FTDI COM ports on Windows
// (plus the settings' dongle, listed first), with a state of its own.
std::unique_ptr<D2xxLibrary> MakeFtdiSioLibrary(const TransportSettings& settings);

}  // namespace rukmox::platform

// Where the FTDI transport's entry points come from: FTDI's own library loaded at run time, or our
// layer over the kernel's ftdi_sio ttys. Whoever holds the object keeps the entry points valid.
#pragma once

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
  D2xxEntryPoints entries_{};
};

// The settings' D2XX library file when they name one, through dlopen. Otherwise our own ftdi_sio
// layer, listing the settings' dongle first as "Wireless Port" and looking under their roots.
std::unique_ptr<D2xxLibrary> LoadD2xxLibrary(const TransportSettings& settings);

// dlopen the file and look up the 17 names; a missing file or name leaves nulls.
std::unique_ptr<D2xxLibrary> LoadD2xxLibraryFile(const std::string& path);

// Our layer over the kernel's ftdi_sio ttys (plus the settings' dongle, listed first), with a state
// of its own.
std::unique_ptr<D2xxLibrary> MakeFtdiSioLibrary(const TransportSettings& settings);

}  // namespace rukmox::platform

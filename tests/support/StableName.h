// A device name that outlives the device: a symbolic link in a private directory, pointed at
// whatever pseudo-terminal stands for the device now. A re-plugged adapter gets a new pty, but
// udev gives the real one the same name again, and a program keeps opening that name.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace rukmox::test {

class StableName {
 public:
  explicit StableName(const std::string& target) {
    char dir[] = "/tmp/rukmox-name-XXXXXX";
    if (mkdtemp(dir) == nullptr) return;
    dir_ = dir;
    path_ = dir_ + "/device";
    PointAt(target);
  }
  ~StableName() {
    if (!path_.empty()) unlink(path_.c_str());
    if (!dir_.empty()) rmdir(dir_.c_str());
  }
  StableName(const StableName&) = delete;
  StableName& operator=(const StableName&) = delete;

  bool ok() const { return ok_; }
  const std::string& path() const { return path_; }

  // The device came back as `target`.
  bool PointAt(const std::string& target) {
    if (path_.empty()) return ok_ = false;
    unlink(path_.c_str());
    return ok_ = symlink(target.c_str(), path_.c_str()) == 0;
  }

 private:
  std::string dir_;
  std::string path_;
  bool ok_ = false;
};

}  // namespace rukmox::test

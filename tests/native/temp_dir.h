// A scratch folder per test, removed afterwards.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

#include <dirent.h>
#include <unistd.h>

#include "runtime/runtime.h"

namespace tepo::testing {

class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/tepo-test-XXXXXX";
    path_ = ::mkdtemp(name);
  }
  ~TempDir() {
    for (const std::string& f : files()) ::unlink((path_ + "/" + f).c_str());
    ::rmdir(path_.c_str());
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string file(const std::string& name) const { return path_ + "/" + name; }
  Text text(const std::string& name) const {
    std::string p = file(name);
    return Text(p.begin(), p.end());
  }

  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(file(name), std::ios::binary);
    out << bytes;
  }

  std::string read(const std::string& name) const {
    std::ifstream in(file(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::vector<std::string> files() const {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(path_.c_str())) {
      while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(n);
      }
      ::closedir(d);
    }
    return names;
  }

 private:
  std::string path_;
};

}  // namespace tepo::testing

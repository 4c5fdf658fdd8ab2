// Test support: a Configuration whose current, program and configuration
// folders are one fresh scratch folder, so FERRIX.INI and win.ini live there
// and disappear with the test. Helpers write the INI text before a test and
// read it back after. Thread rule: one test, one thread.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "config/configuration.h"
#include "testing/scratch_folder.h"

namespace ferrix::testing {

class ScratchConfiguration {
 public:
  ScratchConfiguration() { reopen(); }

  config::Configuration& operator*() { return *configuration_; }
  config::Configuration* operator->() { return configuration_.get(); }

  void writeIni(const std::string& text) { scratch_.write("FERRIX.INI", text); }
  std::string readIni() const { return scratch_.read("FERRIX.INI"); }
  void writeWinIni(const std::string& text) { scratch_.write("win.ini", text); }

  // A fresh Configuration on the same folder, as at the next start.
  void reopen() {
    configuration_ = std::make_unique<config::Configuration>(
        std::make_unique<FolderPaths>(scratch_.path()));
  }

 private:
  class FolderPaths final : public platform::Paths {
   public:
    explicit FolderPaths(std::string folder) : folder_(std::move(folder)) {}
    std::string currentFolder() const override { return folder_; }
    std::string programFolder() const override { return folder_; }
    std::string configFolder() const override { return folder_; }

   private:
    std::string folder_;
  };

  ScratchFolder scratch_;
  std::unique_ptr<config::Configuration> configuration_;
};

}  // namespace ferrix::testing

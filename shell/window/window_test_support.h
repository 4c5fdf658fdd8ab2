// What the window tests share: what a window runs on (its settings, a local
// folder, the sites and a session), the log's lines as the window wrote
// them, and finding and selecting pane entries by name as a person would.
//
// Thread rule: LogLines takes lines from any thread; the rest runs on the GUI
// thread.
#pragma once

#include <gtest/gtest.h>

#include <QItemSelectionModel>
#include <QListView>
#include <QTest>
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "config/scratch_configuration.h"
#include "config/site_profile_store.h"
#include "platform/clock.h"
#include "platform/tcp_socket.h"
#include "session/message_log.h"
#include "shell/window/file_pane.h"
#include "shell/window/pane_list_model.h"
#include "testing/scratch_folder.h"

namespace ferrix::shell::test_support {

// Long enough for a loaded machine; a passing test never waits it out.
inline constexpr int kWaitMs = 20000;

// The fixture base: a window made by the test uses these, and is destroyed
// (by the test's own fixture) before them.
class WindowTestBase : public ::testing::Test {
 protected:
  WindowTestBase() : sites_(*configuration_, {}), session_(log_, clock_, resolver_) {}

  static void write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  ferrix::testing::ScratchConfiguration configuration_;
  ferrix::testing::ScratchFolder local_;
  config::SiteProfileStore sites_;
  session::MessageLog log_;
  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  session::Session session_;
};

class LogLines final : public session::MessageLogObserver {
 public:
  void lineAppended(std::string_view text) override {
    std::lock_guard lock(mutex_);
    lines_.emplace_back(text);
  }
  void statusLinesChanged(const std::array<std::string, 3>&) override {}
  bool contains(std::string_view text) const {
    std::lock_guard lock(mutex_);
    return std::find(lines_.begin(), lines_.end(), text) != lines_.end();
  }
  std::string all() const {
    std::lock_guard lock(mutex_);
    std::string text;
    for (const std::string& line : lines_) text += line + "\n";
    return text;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

inline std::vector<std::string> namesIn(const FilePane& pane) {
  std::vector<std::string> names;
  for (const listing::PaneItem& item : pane.model()->items()) names.emplace_back(item.name());
  return names;
}

// The row of `name`, or -1.
inline int rowOf(const FilePane& pane, std::string_view name) {
  const auto& items = pane.model()->items();
  for (std::size_t row = 0; row < items.size(); ++row) {
    if (items[row].name() == name) return static_cast<int>(row);
  }
  return -1;
}

// Selects exactly `entries`, as Ctrl+clicks would.
inline void selectEntries(FilePane& pane, std::initializer_list<std::string_view> entries) {
  pane.list()->clearSelection();
  for (const std::string_view name : entries) {
    const int row = rowOf(pane, name);
    ASSERT_GE(row, 0) << name;
    pane.list()->selectionModel()->select(pane.model()->index(row), QItemSelectionModel::Select);
  }
}

// Waits until a download has put its first bytes into `path`.
inline bool waitUntilFileHasBytes(const std::filesystem::path& path) {
  return QTest::qWaitFor(
      [&path] {
        std::error_code error;
        return std::filesystem::file_size(path, error) > 0 && !error;
      },
      kWaitMs);
}

}  // namespace ferrix::shell::test_support

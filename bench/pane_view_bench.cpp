// How the remote file pane keeps up with a folder of 100,000 entries, timed
// on the window's own widgets (FilePane with its PaneListModel and
// PaneDelegate) drawn by Qt's offscreen platform. Goals: the folder is shown
// within one second after its listing arrived (BM_ShowFolder), and a page of
// scrolling or a selection of 50,000 entries (BM_ScrollPage, BM_SelectAll,
// BM_SelectRange) takes well under 16 ms, one frame at 60 Hz, so scrolling
// and selecting stay smooth. Each step ends with a paint of the whole visible
// list; the times are wall-clock milliseconds of the step alone, the setup
// between steps is not counted.
#include <benchmark/benchmark.h>
#include <ferrixcore.h>

#include <QApplication>
#include <QEvent>
#include <QScrollBar>
#include <QTest>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bench/generated_listing.h"
#include "listing/pane_model.h"
#include "listing/remote_pane_item.h"
#include "shell/window/file_pane.h"
#include "transfer/name_rules.h"

namespace ferrix::bench {
namespace {

using listing::PaneItem;
using listing::PaneSide;

constexpr int kEntries = 100000;
constexpr int kRangeRows = 50000;
constexpr int kUnixHostType = 6010;
constexpr std::int32_t kSortByNameFoldersOnTop = 1;  // the default RSORT
// The remote half of a full-HD window.
constexpr int kPaneWidth = 640;
constexpr int kPaneHeight = 1000;

// The remote pane's items as the engine makes them from a UNIX listing:
// every line decoded, made a remote item and ordered behind "..".
std::vector<PaneItem> RemoteItems() {
  const transfer::AsciiNameList asciiNames = transfer::AsciiNameList::load({});
  std::vector<PaneItem> items;
  for (const std::string& line : UnixListing(kEntries, 4)) {
    ListingEntry entry{};
    if (FERRIX_DecodeLine(&entry, line.c_str(), kUnixHostType, "/pub", "user") == 0) continue;
    if (auto item = listing::MakeRemoteItem(entry, asciiNames, 0)) items.push_back(std::move(*item));
  }
  listing::PaneModel pane(PaneSide::kRemote, kSortByNameFoldersOnTop);
  pane.add(listing::MakeNamedItem(PaneSide::kRemote, listing::kKindFolder, listing::kParentName));
  pane.addAll(std::move(items));
  return pane.items();
}

// Counts the paints of a widget, so that a step which drew nothing shows as
// an error instead of a fast time.
class PaintCounter final : public QObject {
 public:
  int paints() const { return paints_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints_;
    return QObject::eventFilter(watched, event);
  }

 private:
  int paints_ = 0;
};

// The remote pane on its own top-level window, holding the generated folder.
class PaneBench {
 public:
  PaneBench() : items_(RemoteItems()), pane_(PaneSide::kRemote, look_, nullptr) {
    pane_.resize(kPaneWidth, kPaneHeight);
    pane_.show();
    list()->viewport()->installEventFilter(&paintCounter_);
    // The window answers every selection change by counting the selected
    // entries of its panes to enable its buttons; that count is part of
    // what a selection costs.
    QObject::connect(&pane_, &shell::FilePane::selectionChanged,
                     [this] { selectedCount_ = pane_.selectedRows().size(); });
    QApplication::processEvents();
  }

  std::size_t entries() const { return items_.size(); }
  std::size_t selectedCount() const { return selectedCount_; }
  shell::PaneListView* list() const { return pane_.list(); }

  // The pane as it was before the big folder arrived: the parent entry alone.
  void showSmallFolder() {
    pane_.setItems({items_.front()});
    list()->doItemsLayout();
    settle();
  }

  // The big folder handed to the pane as the window's applyView does, the
  // layout the model reset posted, and the first paint. Returns the seconds,
  // or nothing when nothing was painted.
  std::optional<double> showBigFolder() {
    std::vector<PaneItem> items = items_;
    bool painted = false;
    const double seconds = timed([&] {
      pane_.setItems(std::move(items));
      list()->doItemsLayout();
      painted = paint();
    });
    if (!painted) return std::nullopt;
    return seconds;
  }

  // The big folder shown, for the steps that start from it.
  void ensureBigFolder() {
    if (list()->model()->rowCount() != static_cast<int>(items_.size())) showBigFolder();
    settle();
  }

  // Paints the visible list now. False when nothing was painted.
  bool paint() {
    const int before = paintCounter_.paints();
    list()->viewport()->repaint();
    return paintCounter_.paints() > before;
  }

  // Untimed: the paint and the events a step left behind.
  void settle() {
    paint();
    QApplication::processEvents();
  }

  static double timed(const auto& step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }

 private:
  const std::vector<PaneItem> items_;
  shell::PaneLook look_;
  PaintCounter paintCounter_;
  shell::FilePane pane_;
  std::size_t selectedCount_ = 0;
};

QModelIndex RowIndex(QAbstractItemView& list, int row) { return list.model()->index(row, 0); }

void ShowFolder(benchmark::State& state, PaneBench& bench) {
  bool painted = true;
  for (auto _ : state) {
    bench.showSmallFolder();
    const std::optional<double> seconds = bench.showBigFolder();
    state.SetIterationTime(seconds.value_or(0));
    painted = painted && seconds && bench.list()->indexAt(QPoint(1, 1)).row() == 0;
  }
  if (!painted) state.SkipWithError("the folder was not laid out and painted");
  state.counters["entries"] = static_cast<double>(bench.entries());
}

void ScrollPage(benchmark::State& state, PaneBench& bench) {
  bench.ensureBigFolder();
  QScrollBar* scrollBar = bench.list()->verticalScrollBar();
  bench.list()->scrollToTop();
  bench.settle();
  bool painted = true;
  for (auto _ : state) {
    if (scrollBar->value() == scrollBar->maximum()) {
      scrollBar->setValue(0);
      bench.settle();
    }
    state.SetIterationTime(PaneBench::timed([&] {
      scrollBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
      painted = bench.paint() && painted;
    }));
    QApplication::processEvents();
  }
  if (!painted) state.SkipWithError("a page step painted nothing");
}

void SelectAll(benchmark::State& state, PaneBench& bench) {
  bench.ensureBigFolder();
  shell::PaneListView* list = bench.list();
  bool painted = true;
  for (auto _ : state) {
    list->clearSelection();
    bench.settle();
    state.SetIterationTime(PaneBench::timed([&] {
      QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
      painted = bench.paint() && painted;
    }));
    QApplication::processEvents();
  }
  if (!painted) state.SkipWithError("selecting painted nothing");
  if (bench.selectedCount() != bench.entries()) state.SkipWithError("Ctrl+A did not select every entry");
}

// A click on the first entry, then a shift-click on entry 50,000 (scrolled
// into view before the step).
void SelectRange(benchmark::State& state, PaneBench& bench) {
  bench.ensureBigFolder();
  shell::PaneListView* list = bench.list();
  const QModelIndex first = RowIndex(*list, 0);
  const QModelIndex last = RowIndex(*list, kRangeRows - 1);
  bool painted = true;
  for (auto _ : state) {
    list->scrollToTop();
    bench.settle();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(first).center());
    list->scrollTo(last);
    bench.settle();
    state.SetIterationTime(PaneBench::timed([&] {
      QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                        list->visualRect(last).center());
      painted = bench.paint() && painted;
    }));
    QApplication::processEvents();
  }
  if (!painted) state.SkipWithError("selecting painted nothing");
  if (bench.selectedCount() != kRangeRows) state.SkipWithError("the shift-click did not select the range");
}

void Register(const char* name, void (*run)(benchmark::State&, PaneBench&), PaneBench& bench) {
  benchmark::RegisterBenchmark(name, [run, &bench](benchmark::State& state) { run(state, bench); })
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
}

}  // namespace
}  // namespace ferrix::bench

int main(int argc, char** argv) {
  // Drawn offscreen unless a platform was asked for, so the numbers do not
  // depend on a display being there.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  using namespace ferrix::bench;
  PaneBench bench;
  Register("BM_ShowFolder", ShowFolder, bench);
  Register("BM_ScrollPage", ScrollPage, bench);
  Register("BM_SelectAll", SelectAll, bench);
  Register("BM_SelectRange", SelectRange, bench);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// Filling the file list with 100,000 names against a bare QStringListModel in a QListView.
#include <QApplication>
#include <QListView>
#include <QStringListModel>

#include "bench_support.h"
#include "browser/folder_listing.h"
#include "widgets/file_list_box.h"

namespace {

// Lays the view out and paints it, as the first show after a fill would.
void settle(QListView& view)
{
    view.doItemsLayout();
    view.viewport()->repaint();
    QCoreApplication::processEvents();
}

// The view settings the file list uses, shown at its size in the window.
void show(QListView& view)
{
    view.setUniformItemSizes(true);
    view.setLayoutMode(QListView::Batched);
    view.resize(260, 400);
    view.show();
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const kl::NameList names = kl::listFolder(bench::romFolder(100000), "*.*").names;

    benchmark::RegisterBenchmark("list fill 100000/project", [&names](benchmark::State& state) {
        // The window's own list box; a fill hands its model the names a listing returned.
        FileListBox view;
        show(view);
        auto& model = *qobject_cast<FileListModel*>(view.model());
        for (auto _ : state) {
            state.PauseTiming();
            kl::NameList copy = names;
            model.setNames({});
            settle(view);
            state.ResumeTiming();
            model.setNames(std::move(copy));
            settle(view);
        }
    })->Unit(benchmark::kMillisecond);

    benchmark::RegisterBenchmark("list fill 100000/floor", [&names](benchmark::State& state) {
        QStringListModel model;
        QListView view;
        view.setModel(&model);
        show(view);
        for (auto _ : state) {
            state.PauseTiming();
            model.setStringList({});
            settle(view);
            state.ResumeTiming();
            // The bare model is handed QStrings; converting the names is part of its fill.
            QStringList list;
            list.reserve(static_cast<qsizetype>(names.size()));
            for (const std::string_view n : names)
                list << QString::fromUtf8(n.data(), static_cast<qsizetype>(n.size()));
            model.setStringList(list);
            settle(view);
        }
    })->Unit(benchmark::kMillisecond);

    return bench::runWithRatios(argc, argv, {{"list fill", {"<= 1.5", 1.5}}});
}

// griddemo: shows the blotter grid with sample positions in a window shaped like the main
// window's grid area. `griddemo --screenshot FILE.png` saves a picture of the window and
// exits; `--sort COL` presses that column's heading first.
#include <cstring>
#include <string>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include "grid/BlotterGrid.h"

namespace {

// The control the main window's template gives the grid.
constexpr int kGridControlId = 1002;

struct SampleRow
{
    const char* symbol;
    const char* cells[CBlotterGrid::kNumCols];
};

// Texts as the main window writes them: prices and changes at 4 decimals, the rest at 2,
// all with thousands separators.
const SampleRow kRows[] = {
    {"IBM", {"131.6250", "-1.3750", "200.00", "26,325.00", "-275.00", "4,125.00"}},
    {"MSFT", {"87.5000", "2.1250", "500.00", "43,750.00", "1,062.50", "12,250.00"}},
    {"INTC", {"75.4375", "0.0000", "300.00", "22,631.25", "0.00", "-1,468.75"}},
    {"CSCO", {"55.8750", "-0.6250", "400.00", "22,350.00", "-250.00", "-0.00"}},
    {"DELL", {"38.2500", "1.5000", "1,000.00", "38,250.00", "1,500.00", "8,750.00"}},
    {"ORCL", {"24.1250", "-0.3750", "600.00", "14,475.00", "-225.00", "-3,075.00"}},
    {"AAPL", {"12.5000", "0.2500", "100.00", "1,250.00", "25.00", "235.00"}},
    {"NOK.HE", {"263.0000", "-4.0000", "50.00", "13,150.00", "-200.00", "1,650.00"}},
    {"BHP.AX", {"16.7200", "0.1100", "1,200.00", "20,064.00", "132.00", "-936.00"}},
};

void WriteRows(CBlotterGrid& grid)
{
    grid.SetRowCount(0, false);
    grid.SetRowCount(static_cast<long>(std::size(kRows)), false);
    long row = 0;
    for (const SampleRow& sample : kRows) {
        grid.QuickSetText(-1, row, sample.symbol);
        for (int col = 0; col < CBlotterGrid::kNumCols; ++col)
            grid.QuickSetText(col, row, sample.cells[col]);
        ++row;
    }
    grid.FitColumns(0, CBlotterGrid::kNumCols - 1);
    grid.RedrawAll();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QString screenshot;
    int sortCol = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc)
            screenshot = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(argv[i], "--sort") == 0 && i + 1 < argc)
            sortCol = std::atoi(argv[++i]);
    }

    QDialog window;
    window.setWindowTitle(QStringLiteral("Tallyfern Desktop"));
    window.resize(640, 330);
    auto* placeholder = new QWidget(&window);
    placeholder->setProperty("controlId", kGridControlId);
    placeholder->setGeometry(4, 4, 632, 322);

    CBlotterGrid grid;
    if (grid.AttachGrid(&window, kGridControlId) != 0)
        return 1;
    WriteRows(grid);
    if (sortCol >= 0 && sortCol < CBlotterGrid::kNumCols) {
        grid.OnTopHeadingClick(sortCol, -1, true, QRect(), QPoint(), false);
        grid.OnTopHeadingClick(sortCol, -1, false, QRect(), QPoint(), false);
    }
    grid.GotoCell(0, 0);
    window.show();

    if (!screenshot.isEmpty()) {
        QTimer::singleShot(300, &window, [&] {
            const bool bSaved = window.grab().save(screenshot);
            grid.setParent(nullptr);
            app.exit(bSaved ? 0 : 2);
        });
    }
    const int result = app.exec();
    grid.setParent(nullptr);
    return result;
}

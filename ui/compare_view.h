// CompareView: the table window's comparison with another data file or with the connected device.
//
// It adds a "Compare" menu to the window ("Compare with file...", "Compare with device...") and, once a
// comparison ran, a panel under the tables: a count line and the list of differences. Each cell that
// differs is marked in the window's tables (a coloured background) with the other side's value in its
// tooltip; a parameter only the other side has marks the empty cell where this window would show it,
// when the tables have one. Choosing an entry of the list selects its cell and scrolls to it.
//
// The device is read by the read window and its worker, as "Read Dorvik device" does, but into a
// private temporary directory: the start-up directory's KDM.tmp keeps the last real read.
//
// It compares what the window's document holds, and marks the window's two tables; it knows the window
// only as the widget whose layout and menu bar it joins.
#pragma once

#include <QBrush>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "data/parameter_diff.h"
#include "data/parameter_model.h"

class AppServices;
class CTable;
class DataDocument;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;

class CompareView final : public QWidget {
    Q_OBJECT
  public:
    // Becomes part of `window`, which shows `document` in `systemTable` and `programTable`: its menu in
    // the window's menu bar, its panel in the window's layout (hidden until the first comparison).
    CompareView(AppServices& services, QWidget& window, const DataDocument& document, CTable& systemTable,
                CTable& programTable);

    // Asks for a data file (or the test hook) and compares the window's document with it. False when
    // nothing was compared (cancelled, or a file that cannot be read: a box says why).
    bool OnCompareWithFile();
    // Reads the connected device in the read window and compares the window's document with it. False
    // when nothing was compared (the read window told why).
    bool OnCompareWithDevice();

    // Compares the window's document with the data file at `path`, labelled `otherName`. False (with
    // the reason in Failure()) when the file cannot be read or the document holds none.
    bool CompareWithFile(const std::string& path, const QString& otherName);
    // Marks the differences between what the window shows (`shown`) and `other` (labelled
    // `otherName`), fills the list and the count line.
    void ShowComparison(const kdm::ParameterSet& shown, const kdm::ParameterSet& other,
                        const QString& otherName);
    // Removes the marks and hides the panel.
    void Clear();

    // The comparison shown last.
    const kdm::ParameterDiff& Diff() const { return diff_; }
    QString CountText() const;
    QListWidget* List() const { return list_; }
    QMenu* Menu() const { return menu_; }
    const QString& Failure() const { return failure_; }
    // The cell a difference is marked in: table (the window's system or program table), row, column;
    // none when this window's tables have no cell for it.
    struct Cell {
        CTable* table = nullptr;
        int row = 0;
        int col = 0;
    };
    std::optional<Cell> CellOf(std::size_t difference) const;
    // Selects the cell of the list's `row`-th entry and scrolls it into view.
    void JumpTo(int row);

    // Background of a marked cell.
    static QBrush MarkBrush();
    // Where a table window showing `shown` in `systemTable` and `programTable` shows each record of
    // `shown` (by its index into Records()); records the tables show nowhere are left out.
    static std::map<std::size_t, Cell> CellsOfRecords(const kdm::ParameterSet& shown, CTable& systemTable,
                                                      CTable& programTable);

    // Test hooks: the file dialog, and the read window's save dialog is never shown (the device's data
    // goes to a temporary file); `onReadWindow` is called with the read window before it runs.
    std::function<bool(QString& path)> chooseFile;
    std::function<void(QWidget* readWindow)> onReadWindow;

  private:
    void AddMenu();
    void AddToWindowLayout();
    void PlaceCells(const kdm::ParameterSet& shown);
    void MarkCell(const Cell& cell, const QString& toolTip);

    AppServices& services_;
    QWidget& window_;
    const DataDocument& document_;
    CTable& systemTable_;
    CTable& programTable_;
    QMenu* menu_ = nullptr;
    QLabel* count_ = nullptr;
    QListWidget* list_ = nullptr;
    kdm::ParameterDiff diff_;
    QString otherName_;
    QString failure_;
    std::vector<std::optional<Cell>> cells_;  // one per difference
};

#pragma once
// The graduation panel of the fourth-year score window: the year scores of the first three years,
// typed by the operator, and the graduation score with its grade word. The window's year total
// hands its result to refresh(); a changed earlier-year score asks the window for a new total.
#include <QObject>

class QLineEdit;
class QWidget;
class my_maskedit;

namespace score {

class YearScoreWindow;

class GraduationPanel : public QObject {
    Q_OBJECT
public:
    // Creates the panel's controls on `window`, at their places in the window.
    explicit GraduationPanel(QWidget *window);

    // The graduation tail of the year total: the fourth-year term is `fourthYearTotal` (bonuses and
    // absence cap applied), counted at most as 100; the absence box does not force this grade.
    void refresh(int fourthYearTotal);

    // The panel's tab stops, in their order.
    my_maskedit *firstTabStop() const { return em_c1; }
    my_maskedit *lastTabStop() const { return em_c3; }
    // Takes its place in the year-4 window: refreshed at the end of every year total, a changed
    // earlier-year score runs the year total, and its fields join the window's Tab sequence.
    void attachTo(YearScoreWindow *window);

signals:
    // An earlier-year score was changed by typing and its field left.
    void earlierYearChanged();

private:
    my_maskedit *em_c1 = nullptr;
    my_maskedit *em_c2 = nullptr;
    my_maskedit *em_c3 = nullptr;
    my_maskedit *em_by_cj = nullptr;
    QLineEdit *sle_by_dj = nullptr;
};

// The fourth-year score window: the year score window of year 4 with the graduation panel.
YearScoreWindow *createFourthYearWindow(QWidget *parent);

} // namespace score

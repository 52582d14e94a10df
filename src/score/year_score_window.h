#pragma once
// The year score window of every study year: the operator picks the sex, types height, weight, vital
// capacity and the results of the items the year tests, and reads the item scores, the school-year
// total and its grade word. Each input is scored when it loses the focus; a change of sex scores
// everything again. The year's differences are its YearParameters.
#include "common/height_weight.h"
#include "common/item_selection.h"
#include "common/test_items.h"
#include "runtime/registry.h"
#include "score/year_parameters.h"
#include "settings/d_xmsz.h"

#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class my_maskedit;

namespace score {

class YearScoreWindow : public QWidget, public rt::WindowEvents {
    Q_OBJECT
public:
    explicit YearScoreWindow(const YearParameters &parameters, QWidget *parent = nullptr);

    const YearParameters &parameters() const { return params_; }

    // Reads the year's settings row, sending the operator to the settings window while there is none.
    bool openEvent() override;

    // The window functions: total and grade, tested items, height-and-weight score.
    int xn();
    long checked();
    int sg();

    // For a window that adds a panel of its own: runs at the end of every xn with the year total
    // (bonuses and absence cap applied).
    void setTotalHook(std::function<void(int yearTotal)> hook) { totalHook_ = std::move(hook); }
    // Puts a control into the Tab sequence at `tabValue` (0: click focus only) and rebuilds the order.
    void addTabStop(QWidget *control, int tabValue);
    // The control the focus starts in: the lowest tab value.
    QWidget *firstTabStop() const;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // One row of the item panel.
    struct Row {
        QLabel *label = nullptr;
        QLabel *unit = nullptr;
        my_maskedit *input = nullptr;
        my_maskedit *score = nullptr;
    };
    struct TabStop {
        int value;
        int sequence;
        QWidget *control;
    };

    void createControls();
    void applyTabOrder();
    common::Sex sex() const;
    Row &row(int index) { return rows_[index]; }

    // What leaving an input scores: the item, or for height and weight the window's sg (and for the
    // weight the vital capacity after it).
    void inputLeft(int rowIndex);
    void scoreRow(int rowIndex);
    void scoreBandItem(int rowIndex);
    void scoreVitalCapacity();
    void sexClicked();
    void settingsClicked();

    // The year's row through dw_4: rows retrieved, 0 without one, -1 on a database error.
    long retrieveSelection();
    void copyFlags();
    void showMessage(const Message &message);

    const YearParameters &params_;
    std::array<Row, 11> rows_{};
    QRadioButton *rb_sex_man = nullptr;
    QRadioButton *rb_sex_woman = nullptr;
    std::array<QCheckBox *, 4> cbx_bonus{};
    QCheckBox *cbx_59 = nullptr;
    my_maskedit *em_xn_t = nullptr;
    QLineEdit *sle_dj = nullptr;
    QPushButton *cb_2 = nullptr;
    QPushButton *cb_1 = nullptr;

    d_xmsz dw_4;
    common::ItemSelection selection_;
    // As sg last took them, and the weight limits of the last row found.
    float h = 0, w = 0, z1 = 0, z2 = 0, z3 = 0, z4 = 0;

    std::vector<TabStop> tabStops_;
    std::function<void(int)> totalHook_;
    bool settingEnabled_ = false; // checked runs: disabling the focused edit does not score it
    bool placingFocus_ = false;   // the sex change puts the focus in place: nothing was left
    bool walking_ = false;        // a change of sex is scoring everything again
    QStringList walkMessages_;    // weight-limit messages already shown during this change of sex
    // The weight limits looked up during this change of sex: the data source is asked once per height.
    struct WalkLookup {
        common::Sex sex;
        float height;
        common::WeightLimitLookup answer;
    };
    std::optional<WalkLookup> walkLookup_;
    bool shown_ = false;
};

} // namespace score

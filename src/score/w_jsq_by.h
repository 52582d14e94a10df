#pragma once
// The graduation score window: four typed year scores, weighted one sixth each for the first three
// years and one half for the fourth, give the graduation score and its grade word.
#include "common/grade_scale.h"
#include "score/year_parameters.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class my_maskedit;

namespace score {
// Shows a grade word in its field; a grade without a colour leaves the field's colour as it was.
void showGrade(QLineEdit *field, const common::Grade &grade);

// The graduation controls of this window and of the fourth-year window's panel, each named and placed.
// A caption in Arial, aligned left and top:
QLabel *graduationLabel(QWidget *parent, const char *name, const char *text, int points, int weight, long color,
                        const Geometry &g);
// A score field in bold Arial:
my_maskedit *graduationScoreEdit(QWidget *parent, const char *name, int points, const Geometry &g);
// The grade word field sle_by_dj in Arial, in the window-text colour:
QLineEdit *graduationGradeField(QWidget *parent, int points, int weight, long back, const Geometry &g);
} // namespace score

class w_jsq_by : public QWidget {
    Q_OBJECT
public:
    explicit w_jsq_by(QWidget *parent = nullptr);

    // Recomputes the graduation score from the four fields as they stand.
    int by();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    my_maskedit *em_c1 = nullptr;
    my_maskedit *em_c2 = nullptr;
    my_maskedit *em_c3 = nullptr;
    my_maskedit *em_c4 = nullptr;
    my_maskedit *em_by_cj = nullptr;
    QLineEdit *sle_by_dj = nullptr;
    QPushButton *cb_1 = nullptr;
};

#pragma once
// The test-item settings window of one study year (w_xm_dx1 to w_xm_dx4): per sex, one item of each
// category in its own exclusive box, loaded from and saved to the year's row of xmsz. One class,
// driven by the table of study-year variants. Modal, fixed size, no close box; Esc and Enter close
// nothing by themselves.
#include "runtime/registry.h"
#include "settings/d_xmsz.h"

#include <QString>
#include <QWidget>
#include <array>
#include <memory>

class QButtonGroup;
class QGroupBox;
class QRadioButton;
class pfc_picture_command_button;

namespace settings {

struct ButtonVariant {
    int x;
    int y;
    int width;
    int tabOrder;
    const char *bitmapname; // nullptr: no picture
};

struct StudyYearVariant {
    const char *className;
    const char *code; // nj
    const char *title;
    int height;
    ButtonVariant save;
    ButtonVariant close;
};

extern const std::array<StudyYearVariant, 4> kStudyYearVariants;
const StudyYearVariant *variantOf(const QString &className);

// The thirteen selectable radio buttons and their flag columns, in the order they are loaded and saved.
struct ItemRadio {
    const char *radio;
    const char *column;
};
extern const std::array<ItemRadio, 13> kItemRadios;

// What a settings window leaves in the message object's DoubleParm as it closes: its last Save
// failed, so the choice it showed was not stored (the year's row may still be there, stored by an
// earlier Save or by another PC).
constexpr double kClosedAfterFailedSave = -1;

} // namespace settings

class w_xm_dx : public QWidget, public rt::WindowEvents {
    Q_OBJECT
public:
    // `form` replaces the window's own form (a test's failing one); the default works on sqlca.
    explicit w_xm_dx(const settings::StudyYearVariant &variant, QWidget *parent = nullptr,
                     std::unique_ptr<d_xmsz> form = nullptr);
    ~w_xm_dx() override;

    // Loads the year's row into the radio buttons, or starts a new row.
    bool openEvent() override;

    const settings::StudyYearVariant &variant() const { return variant_; }
    d_xmsz &dw_1() { return *dw_1_; }
    pfc_picture_command_button *cb_1() const { return cb_1_; }
    pfc_picture_command_button *cb_2() const { return cb_2_; }
    bool saveEnabled() const;

private:
    void createControls();
    QRadioButton *radio(const char *name) const;
    void setSaveEnabled(bool on);
    void clearItemRadios();
    // cb_1's clicked: writes the radio buttons into the row and commits.
    void save();
    // The message of a Save that stored nothing, with the reason on its next line.
    void saveFailed(const QString &reason);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:

    const settings::StudyYearVariant &variant_;
    std::unique_ptr<d_xmsz> dw_1_;
    pfc_picture_command_button *cb_1_ = nullptr;
    pfc_picture_command_button *cb_2_ = nullptr;
    QList<QButtonGroup *> groups_;
    std::array<QWidget *, 2> tabStops_{}; // the inner buttons of Save and Close, in tab order
    bool saveFailed_ = false; // the last Save stored nothing
    bool readFailed_ = false; // open could not read the year's row, so the window holds none
};

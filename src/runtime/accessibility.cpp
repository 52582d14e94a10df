#include "runtime/accessibility.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QKeySequence>
#include <QRadioButton>

namespace rt {

namespace {

// A caption without its mnemonic marks: "&&" stands for one "&", a single "&" marks the access key.
QString withoutMnemonic(const QString &caption)
{
    QString plain;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == u'&' && ++i >= caption.size())
            break;
        plain += caption.at(i);
    }
    return plain;
}

class AccessibleCheckableButton : public QAccessibleWidget {
public:
    explicit AccessibleCheckableButton(QAbstractButton *button)
        : QAccessibleWidget(button, qobject_cast<QRadioButton *>(button) ? QAccessible::RadioButton
                                                                          : QAccessible::CheckBox)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        const auto *box = qobject_cast<const QCheckBox *>(button());
        if (box && box->checkState() == Qt::PartiallyChecked)
            s.checkStateMixed = true;
        else
            s.checked = button()->isChecked();
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        QString text = QAccessibleWidget::text(t);
        if (!text.isEmpty())
            return text;
        if (t == QAccessible::Name)
            return withoutMnemonic(button()->text());
        if (t == QAccessible::Accelerator)
            return QKeySequence::mnemonic(button()->text()).toString(QKeySequence::NativeText);
        return text;
    }

    QStringList actionNames() const override
    {
        QStringList names;
        if (widget()->isEnabled())
            names << toggleAction();
        return names + QAccessibleWidget::actionNames();
    }

    // Toggle, and press too, are a click: the state changes and clicked is raised, as for the mouse.
    void doAction(const QString &action) override
    {
        if (!widget()->isEnabled())
            return;
        if (action == toggleAction() || action == pressAction())
            button()->click();
        else
            QAccessibleWidget::doAction(action);
    }

    QStringList keyBindingsForAction(const QString &action) const override
    {
        if (action != toggleAction())
            return QAccessibleWidget::keyBindingsForAction(action);
        const QKeySequence key = QKeySequence::mnemonic(button()->text());
        return key.isEmpty() ? QStringList() : QStringList{key.toString(QKeySequence::NativeText)};
    }

private:
    QAbstractButton *button() const { return static_cast<QAbstractButton *>(object()); }
};

QAccessibleInterface *checkableButtonFactory(const QString &, QObject *object)
{
    if (qobject_cast<QCheckBox *>(object) || qobject_cast<QRadioButton *>(object))
        return new AccessibleCheckableButton(static_cast<QAbstractButton *>(object));
    return nullptr;
}

} // namespace

void installAccessibleButtons()
{
    // Factories installed later are asked first: this one goes before the application's own.
    QAccessible::installFactory(checkableButtonFactory);
}

} // namespace rt

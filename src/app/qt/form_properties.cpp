#include "app/qt/form_properties.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace pixolat {

namespace {

using Box = ImagePropertiesDialog::Box;

QLabel* NewLabel(const QString& text, QWidget* buddy, const QRect& r, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(r);
    if (buddy) label->setBuddy(buddy);
    return label;
}

QLineEdit* NewBox(const QString& name, const QRect& r, bool number, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(r);
    if (number) box->setMaxLength(int(kNumberBoxLength));
    return box;
}

// A radio group of three; the model's value says which is checked (none for -1).
std::array<QRadioButton*, 3> NewRadioGroup(const QString& title, const QString& prefix,
                                           const std::array<const char*, 3>& captions,
                                           const QRect& r, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    group->setGeometry(r);
    std::array<QRadioButton*, 3> buttons{};
    for (int i = 0; i < 3; ++i) {
        buttons[i] = new QRadioButton(captions[i], group);
        buttons[i]->setObjectName(prefix + QString::number(i));
        buttons[i]->setGeometry(10, 20 + 24 * i, r.width() - 16, 20);
    }
    return buttons;
}

}  // namespace

TFormProperties::TFormProperties(ImagePropertiesDialog& model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setObjectName("TFormProperties");
    setWindowTitle(kPropertiesCaption);
    setFixedSize(kPropertiesWidth, kPropertiesHeight);
    BuildControls();
    if (parent) {
        // Centered over the editor window.
        const QRect frame = parent->window()->geometry();
        move(frame.center() - QPoint(kPropertiesWidth / 2, kPropertiesHeight / 2));
    }
    Mirror();
}

void TFormProperties::BuildControls() {
    EditName = NewBox("EditName", QRect(8, 24, 225, 21), false, this);
    EditWidth = NewBox("EditWidth", QRect(96, 72, 64, 21), true, this);
    EditHeight = NewBox("EditHeight", QRect(96, 100, 64, 21), true, this);
    EditWidthC = NewBox("EditWidthC", QRect(168, 72, 64, 21), true, this);
    EditHeightC = NewBox("EditHeightC", QRect(168, 100, 64, 21), true, this);
    boxes_ = {EditName, EditWidth, EditHeight, EditWidthC, EditHeightC};
    NewLabel("Image &Name", EditName, QRect(8, 6, 225, 16), this);
    NewLabel("in Pixels", nullptr, QRect(96, 52, 64, 16), this);
    NewLabel("in Chars", nullptr, QRect(168, 52, 64, 16), this);
    NewLabel("Image &Width", EditWidth, QRect(8, 74, 86, 16), this);
    NewLabel("Image &Height", EditHeight, QRect(8, 102, 86, 16), this);

    chkHires = new QCheckBox("&Multi-color", this);
    chkHires->setObjectName("chkHires");
    chkHires->setGeometry(8, 130, 160, 20);
    chkHires->setChecked(model_.multiColor);
    connect(chkHires, &QCheckBox::toggled, this, [this](bool on) { model_.multiColor = on; });

    cm =
        NewRadioGroup("Color map", "cm", {"None", "Normal", "DFLI"}, QRect(8, 160, 108, 100), this);
    lay = NewRadioGroup("Layout", "lay", {"Bitmap", "Charset", "2x2 Charset"},
                        QRect(124, 160, 109, 100), this);
    for (int i = 0; i < 3; ++i) {
        cm[i]->setChecked(model_.colorMap == i);
        lay[i]->setChecked(model_.layout == i);
        connect(cm[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) model_.colorMap = i;
        });
        connect(lay[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) model_.layout = i;
        });
    }

    cmdOk = new QPushButton("OK", this);
    cmdOk->setObjectName("cmdOk");
    cmdOk->setGeometry(72, 286, 75, 25);
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton("Cancel", this);
    cmdCancel->setObjectName("cmdCancel");
    cmdCancel->setGeometry(158, 286, 75, 25);
    connect(cmdOk, &QPushButton::clicked, this, [this] {
        if (model_.cmdOkClick()) accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    for (QLineEdit* box : boxes_) {
        box->installEventFilter(this);
        // Every change of a text, typed or set, reaches the model: the height
        // box answers both.
        connect(box, &QLineEdit::textChanged, this, [this, box](const QString& text) {
            if (text.toStdString() == model_.text(BoxOf(box))) return;
            model_.Change(BoxOf(box), text.toStdString());
            Mirror();
        });
    }
    // The tab order of the original dialog.
    QWidget* order[] = {EditName, EditWidth, EditHeight, EditWidthC, EditHeightC,
                        chkHires, cmdOk,     cmdCancel,  cm[0],      cm[1],
                        cm[2],    lay[0],    lay[1],     lay[2]};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

ImagePropertiesDialog::Box TFormProperties::BoxOf(QObject* widget) const {
    for (int i = 0; i < ImagePropertiesDialog::kBoxCount; ++i)
        if (boxes_[i] == widget) return Box(i);
    return ImagePropertiesDialog::EditName;
}

bool TFormProperties::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box) return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (text.size() == 1 && text[0].unicode() < 256) {
            const bool insert = model_.KeyPress(BoxOf(box), char(text[0].unicode()));
            Mirror();
            if (!insert) return true;
        }
    } else if (event->type() == QEvent::KeyRelease) {
        if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
            model_.KeyUp(BoxOf(box));
            Mirror();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormProperties::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    model_.FormActivate();
    Mirror();
}

void TFormProperties::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        model_.FormActivate();
        Mirror();
    }
}

void TFormProperties::Mirror() {
    for (int i = 0; i < ImagePropertiesDialog::kBoxCount; ++i) {
        const QString text = QString::fromStdString(model_.text(Box(i)));
        if (boxes_[i]->text() != text) boxes_[i]->setText(text);
    }
    setWindowTitle(QString::fromStdString(model_.caption()));
}

}  // namespace pixolat

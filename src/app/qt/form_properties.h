#pragma once
// TFormProperties, the Image Properties dialog. Its behaviour is the core's
// ImagePropertiesDialog: the widgets pass typed characters, key releases,
// edits and clicks on and show the model's texts and caption.
#include <QDialog>
#include <array>

#include "edit/image_properties.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace pixolat {

class TFormProperties : public QDialog {
    Q_OBJECT
public:
    TFormProperties(ImagePropertiesDialog& model, QWidget* parent = nullptr);

    QLineEdit* EditName = nullptr;
    QLineEdit* EditWidth = nullptr;
    QLineEdit* EditHeight = nullptr;
    QLineEdit* EditWidthC = nullptr;
    QLineEdit* EditHeightC = nullptr;
    QCheckBox* chkHires = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    std::array<QRadioButton*, 3> cm{};
    std::array<QRadioButton*, 3> lay{};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildControls();
    // Shows the model's texts and caption; a box whose text is unchanged keeps its cursor.
    void Mirror();
    ImagePropertiesDialog::Box BoxOf(QObject* widget) const;

    ImagePropertiesDialog& model_;
    std::array<QLineEdit*, ImagePropertiesDialog::kBoxCount> boxes_{};
};

}  // namespace pixolat

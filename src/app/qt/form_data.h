#pragma once
// TFormData, the Gfx Data window: one plain text control in which the source
// text is shown for copying out, or into which the user pastes it to load.
// Modal; a new one is made for every use.
#include <QDialog>

class QPlainTextEdit;

namespace pixolat {

class TFormData : public QDialog {
    Q_OBJECT
public:
    explicit TFormData(QWidget* parent = nullptr);

    // Save: designed bounds, the text shown with all of it selected.
    void PrepareForSave(const QString& text);
    // Load: empty, 40 pixels in from the editor's top-left corner and 80
    // pixels smaller each way.
    void PrepareForLoad(const QRect& editorBounds);

    QPlainTextEdit* memoText = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Esc in the text closes the window; every other key edits.
    bool memoTextKeyPress(int key);
};

// The fixed-pitch font of the text: Lucida Console where installed, else the
// system's fixed font.
QFont GfxDataFont();

}  // namespace pixolat

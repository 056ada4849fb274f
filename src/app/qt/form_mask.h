#pragma once
// TFormMask: the Mask Processor window. Its logic lives in MaskProcessor;
// the window passes the typed paths, button clicks and grid keys on and
// shows the processor's caption and grid rows.
#include <QDialog>
#include <functional>
#include <string>

#include "mask/mask_processor.h"
#include "platform/platform.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace pixolat {

// What the window reaches of the editor: the import of a result into the
// current image (none: "Open Result" is greyed) and the help file.
struct MaskWindowLinks {
    std::function<void(const std::string& path)> openResult;
    std::string helpFile;
};

// The settings that keep the paths last used across runs.
inline constexpr const char* kMaskPathSettings[3] = {"MaskProcessorMask", "MaskProcessorPattern1",
                                                     "MaskProcessorPattern2"};

class TFormMask : public QDialog, private MaskProcessorView {
    Q_OBJECT
public:
    explicit TFormMask(Platform& platform, QWidget* parent = nullptr, MaskWindowLinks links = {});

    // Every opening gets a new window, so it starts from the paths last used
    // and an empty color table.
    static void Open(Platform& platform, QWidget* parent, MaskWindowLinks links = {});

    const MaskProcessor& processor() const { return processor_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

public slots:
    void done(int result) override;

private:
    void FormCreate();
    void cmdPreProcessClick();
    void cmdProcessClick();
    void cmdOpenResultClick();
    void BrowseClick(QLineEdit* box);
    void KeepPaths();
    bool gridKeyDown(QKeyEvent* event);

    void SetCaption(const std::string& text) override;
    void ShowWarning(const std::string& text) override { platform_.ShowMessage(text); }
    void GridChanged() override { MirrorGrid(); }
    void ProcessPendingEvents() override { platform_.ProcessPendingEvents(); }
    void MirrorGrid();
    // Errors of the platform's picture operations end the click and are
    // shown in a message box.
    template <class Handler>
    void Run(Handler&& handler);

    Platform& platform_;
    MaskWindowLinks links_;
    MaskProcessor processor_;
    // The controls, named as their object names.
    QLabel* Label1 = nullptr;
    QLineEdit* EditCharSet = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* EditMask1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* EditMask2 = nullptr;
    QPushButton* cmdPreProcess = nullptr;
    QPushButton* cmdProcess = nullptr;
    QPushButton* cmdBrowseMask = nullptr;
    QPushButton* cmdBrowsePattern1 = nullptr;
    QPushButton* cmdBrowsePattern2 = nullptr;
    QPushButton* cmdOpenResult = nullptr;
    QPushButton* cmdHelp = nullptr;
    QTableWidget* grid = nullptr;
};

}  // namespace pixolat

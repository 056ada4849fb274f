#include "app/qt/form_mask.h"

#include <QColor>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <exception>
#include <optional>
#include <utility>

#include "app/qt/virtual_key.h"
#include "edit/start_editor.h"

namespace pixolat {

namespace {

constexpr int kRowHeight = 18;
// Beside the processor's three columns, the color as a swatch with its code.
constexpr int kSwatchColumn = MaskProcessor::kColumns;

template <class Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string S(const QString& s) {
    return s.toStdString();
}

}  // namespace

TFormMask::TFormMask(Platform& platform, QWidget* parent, MaskWindowLinks links)
    : QDialog(parent), platform_(platform), links_(std::move(links)), processor_(platform, *this) {
    setObjectName("TFormMask");
    setWindowTitle("Mask Processor");
    Label1 = Named(new QLabel("Mask bitmap:", this), "Label1");
    EditCharSet = Named(new QLineEdit(this), "EditCharSet");
    Label2 = Named(new QLabel("Pattern 1:", this), "Label2");
    EditMask1 = Named(new QLineEdit(this), "EditMask1");
    Label3 = Named(new QLabel("Pattern 2:", this), "Label3");
    EditMask2 = Named(new QLineEdit(this), "EditMask2");
    cmdPreProcess = Named(new QPushButton("Pre-process", this), "cmdPreProcess");
    cmdProcess = Named(new QPushButton("Process", this), "cmdProcess");
    cmdBrowseMask = Named(new QPushButton("Browse...", this), "cmdBrowseMask");
    cmdBrowsePattern1 = Named(new QPushButton("Browse...", this), "cmdBrowsePattern1");
    cmdBrowsePattern2 = Named(new QPushButton("Browse...", this), "cmdBrowsePattern2");
    cmdOpenResult = Named(new QPushButton("Open Result", this), "cmdOpenResult");
    cmdHelp = Named(new QPushButton("Help", this), "cmdHelp");
    grid = Named(new QTableWidget(this), "grid");

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(EditCharSet, 0, 1);
    layout->addWidget(cmdBrowseMask, 0, 2);
    layout->addWidget(Label2, 1, 0);
    layout->addWidget(EditMask1, 1, 1);
    layout->addWidget(cmdBrowsePattern1, 1, 2);
    layout->addWidget(Label3, 2, 0);
    layout->addWidget(EditMask2, 2, 1);
    layout->addWidget(cmdBrowsePattern2, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdPreProcess);
    buttons->addWidget(cmdProcess);
    buttons->addWidget(cmdOpenResult);
    buttons->addStretch();
    buttons->addWidget(cmdHelp);
    layout->addLayout(buttons, 3, 0, 1, 3);
    layout->addWidget(grid, 4, 0, 1, 3);
    // Return in a path box must not start a run.
    for (QPushButton* button : {cmdPreProcess, cmdProcess, cmdBrowseMask, cmdBrowsePattern1,
                                cmdBrowsePattern2, cmdOpenResult, cmdHelp})
        button->setAutoDefault(false);
    cmdOpenResult->setEnabled(bool(links_.openResult));

    // One fixed header row naming the columns; no fixed column; the cells
    // change by keys only.
    grid->setColumnCount(MaskProcessor::kColumns + 1);
    grid->setHorizontalHeaderLabels({"Color", "Role (1, 2, C)", "Offset (0-3, A-C, +/-)", ""});
    grid->horizontalHeader()->setFixedHeight(kRowHeight);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setMinimumSectionSize(1);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->installEventFilter(this);

    connect(cmdPreProcess, &QPushButton::clicked, this, [this] { cmdPreProcessClick(); });
    connect(cmdProcess, &QPushButton::clicked, this, [this] { cmdProcessClick(); });
    connect(cmdOpenResult, &QPushButton::clicked, this, [this] { cmdOpenResultClick(); });
    connect(cmdHelp, &QPushButton::clicked, this,
            [this] { platform_.ShowHelpContext(links_.helpFile, kMaskProcessorHelpContext); });
    for (auto [button, box] :
         {std::pair{cmdBrowseMask, EditCharSet}, std::pair{cmdBrowsePattern1, EditMask1},
          std::pair{cmdBrowsePattern2, EditMask2}})
        connect(button, &QPushButton::clicked, this, [this, box = box] { BrowseClick(box); });
    resize(520, 420);
    FormCreate();
}

void TFormMask::Open(Platform& platform, QWidget* parent, MaskWindowLinks links) {
    TFormMask form(platform, parent, std::move(links));
    form.exec();
}

// The boxes start at the files last used, or empty.
void TFormMask::FormCreate() {
    QLineEdit* const boxes[] = {EditCharSet, EditMask1, EditMask2};
    for (int i = 0; i < 3; ++i)
        boxes[i]->setText(Q(platform_.ReadSettingText(kMaskPathSettings[i])));
    MirrorGrid();
}

void TFormMask::KeepPaths() {
    const QLineEdit* const boxes[] = {EditCharSet, EditMask1, EditMask2};
    for (int i = 0; i < 3; ++i)
        platform_.WriteSettingText(kMaskPathSettings[i], S(boxes[i]->text()));
}

// A picture chosen in the file dialog goes into the box; the dialog's folder
// is kept at once, as the editor keeps it at close.
void TFormMask::BrowseClick(QLineEdit* box) {
    Run([this, box] {
        const std::optional<std::string> path = platform_.OpenPictureDialog();
        if (!path) return;
        box->setText(Q(*path));
        platform_.WriteSettingText(kDialogFolderSetting, platform_.DialogFolder());
        KeepPaths();
    });
}

void TFormMask::cmdOpenResultClick() {
    Run([this] {
        const std::string path = MaskProcessor::ResultPath(S(EditCharSet->text()));
        if (!platform_.FileExists(path)) {
            SetCaption("No result yet: process the mask first");
            return;
        }
        links_.openResult(path);
    });
}

template <class Handler>
void TFormMask::Run(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        platform_.ShowMessage(e.what());
    }
    MirrorGrid();
}

void TFormMask::cmdPreProcessClick() {
    KeepPaths();
    Run([this] { processor_.PreProcess(S(EditCharSet->text())); });
}

void TFormMask::cmdProcessClick() {
    KeepPaths();
    Run([this] {
        processor_.Process(S(EditCharSet->text()), S(EditMask1->text()), S(EditMask2->text()));
    });
}

bool TFormMask::gridKeyDown(QKeyEvent* event) {
    const bool handled = processor_.GridKeyDown(grid->currentRow() + 1, grid->currentColumn(),
                                                VirtualKeyCode(*event));
    if (handled) MirrorGrid();
    // Keys that move the current cell stay the grid's; every other key is
    // consumed, because the grid's type-ahead search would move the current
    // row and the next role key would then edit another color.
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return handled;
        default:
            return true;
    }
}

bool TFormMask::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid && event->type() == QEvent::KeyPress)
        return gridKeyDown(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

void TFormMask::keyPressEvent(QKeyEvent* event) {
    // The window closes by its frame only: a stray Escape in the grid would
    // otherwise throw away the roles set so far.
    if (event->key() == Qt::Key_Escape) return;
    if (event->key() == Qt::Key_F1) return cmdHelp->click();
    QDialog::keyPressEvent(event);
}

void TFormMask::done(int result) {
    processor_.Cancel();
    QDialog::done(result);
}

void TFormMask::SetCaption(const std::string& text) {
    setWindowTitle(Q(text));
}

void TFormMask::MirrorGrid() {
    const int rows = processor_.GridRowCount() - 1;  // without the header row
    grid->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < MaskProcessor::kColumns; ++column) {
            const QString text = Q(processor_.GridCell(row + 1, column));
            QTableWidgetItem* item = grid->item(row, column);
            if (!item) {
                item = new QTableWidgetItem;
                grid->setItem(row, column, item);
            }
            if (item->text() != text) item->setText(text);
        }
        QTableWidgetItem* swatch = grid->item(row, kSwatchColumn);
        if (!swatch) {
            swatch = new QTableWidgetItem;
            grid->setItem(row, kSwatchColumn, swatch);
        }
        if (row >= processor_.table().size()) {
            swatch->setText(QString());
            swatch->setIcon(QIcon());
            continue;
        }
        const RgbColor c = processor_.table()[row].color;
        const QColor color(RedOf(c), GreenOf(c), BlueOf(c));
        const QString code = color.name(QColor::HexRgb).toUpper();
        if (swatch->text() == code) continue;
        QPixmap square(kRowHeight - 6, kRowHeight - 6);
        square.fill(color);
        swatch->setIcon(QIcon(square));
        swatch->setText(code);
    }
    if (grid->currentRow() < 0 && rows > 0) grid->setCurrentCell(0, 0);
}

}  // namespace pixolat

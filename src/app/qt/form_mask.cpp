#include "app/qt/form_mask.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <exception>

#include "app/qt/virtual_key.h"

namespace pixolat {

namespace {

constexpr int kRowHeight = 18;

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

TFormMask::TFormMask(Platform& platform, QWidget* parent)
    : QDialog(parent), platform_(platform), processor_(platform, *this) {
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
    grid = Named(new QTableWidget(this), "grid");

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(EditCharSet, 0, 1);
    layout->addWidget(Label2, 1, 0);
    layout->addWidget(EditMask1, 1, 1);
    layout->addWidget(Label3, 2, 0);
    layout->addWidget(EditMask2, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdPreProcess);
    buttons->addWidget(cmdProcess);
    buttons->addStretch();
    layout->addLayout(buttons, 3, 0, 1, 2);
    layout->addWidget(grid, 4, 0, 1, 2);
    // Return in a path box must not start a run.
    for (QPushButton* button : {cmdPreProcess, cmdProcess}) button->setAutoDefault(false);

    // One fixed, empty header row; no fixed column; the cells change by keys only.
    grid->setColumnCount(MaskProcessor::kColumns);
    grid->setHorizontalHeaderLabels({"", "", ""});
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
    resize(440, 420);
    FormCreate();
}

void TFormMask::Open(Platform& platform, QWidget* parent) {
    TFormMask form(platform, parent);
    form.exec();
}

void TFormMask::FormCreate() {
    EditCharSet->setText("C:\\PROJECTS\\PLUS4\\Projects\\Tessela\\mask.bmp");
    EditMask1->setText("C:\\PROJECTS\\PLUS4\\Projects\\Tessela\\border.bmp");
    EditMask2->setText("C:\\PROJECTS\\PLUS4\\Projects\\Tessela\\inside.bmp");
    MirrorGrid();
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
    Run([this] { processor_.PreProcess(S(EditCharSet->text())); });
}

void TFormMask::cmdProcessClick() {
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
    }
    if (grid->currentRow() < 0 && rows > 0) grid->setCurrentCell(0, 0);
}

}  // namespace pixolat

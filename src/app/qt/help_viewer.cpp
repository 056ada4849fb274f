#include "app/qt/help_viewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace pixolat {

namespace {

constexpr qint64 kMaxHelpFileBytes = 4 * 1024 * 1024;

bool IsContextNumber(const QString& word) {
    if (word.isEmpty() || word.size() > 9) return false;
    for (QChar c : word)
        if (!c.isDigit()) return false;
    return true;
}

QString Escaped(const QString& text) {
    return text.toHtmlEscaped();
}

}  // namespace

HelpFile HelpFile::Parse(const QString& text) {
    HelpFile file;
    HelpTopic* topic = nullptr;
    bool wantTitle = false;
    for (QString line : text.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        if (line.startsWith("@topic")) {
            file.topics_.append(HelpTopic{});
            topic = &file.topics_.last();
            for (const QString& word : line.mid(6).split(' ', Qt::SkipEmptyParts)) {
                if (IsContextNumber(word))
                    topic->contexts.append(word.toInt());
                else
                    topic->names.append(word);
            }
            wantTitle = true;
        } else if (topic == nullptr) {
            continue;  // comments before the first topic
        } else if (wantTitle) {
            topic->title = line.trimmed();
            wantTitle = false;
        } else {
            topic->lines.append(line);
        }
    }
    return file;
}

std::optional<HelpFile> HelpFile::Load(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
    return Parse(QString::fromUtf8(file.read(kMaxHelpFileBytes)));
}

const HelpTopic* HelpFile::FindByName(const QString& name) const {
    for (const HelpTopic& topic : topics_)
        if (topic.names.contains(name, Qt::CaseInsensitive)) return &topic;
    return nullptr;
}

const HelpTopic* HelpFile::FindByContext(int context) const {
    for (const HelpTopic& topic : topics_)
        if (topic.contexts.contains(context)) return &topic;
    return nullptr;
}

QString TopicHtml(const HelpTopic& topic) {
    enum class Block { None, Paragraph, List, Table };
    QString html = "<h2>" + Escaped(topic.title) + "</h2>";
    Block open = Block::None;
    // Closes the block being written unless it is the wanted one, then opens that.
    const auto enter = [&](Block wanted, const char* start) {
        if (open == wanted) return false;
        static const char* const kEnd[] = {"", "</p>", "</ul>", "</table>"};
        html += kEnd[int(open)];
        html += start;
        open = wanted;
        return true;
    };
    for (const QString& raw : topic.lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty()) {
            enter(Block::None, "");
        } else if (line.startsWith("- ")) {
            enter(Block::List, "<ul>");
            html += "<li>" + Escaped(line.mid(2)) + "</li>";
        } else if (line.contains(" | ")) {
            const bool heading =
                enter(Block::Table, "<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\">");
            const QString cellStart = heading ? "<th align=\"left\">" : "<td>";
            const QString cellEnd = heading ? "</th>" : "</td>";
            html += "<tr>";
            for (const QString& cell : line.split(" | "))
                html += cellStart + Escaped(cell.trimmed()) + cellEnd;
            html += "</tr>";
        } else if (!enter(Block::Paragraph, "<p>")) {
            html += " " + Escaped(line);
        } else {
            html += Escaped(line);
        }
    }
    enter(Block::None, "");
    return html;
}

QString ResolveHelpPath(const QString& helpFile, const QString& programDir) {
    const QFileInfo given(helpFile);
    // A bare name is the program's file, never one that happens to lie in
    // the current folder.
    if (given.isAbsolute() && given.isFile()) return helpFile;
    const QDir program(programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir);
    // A path into some other folder is the caller's to answer for.
    if (given.isAbsolute() &&
        QDir::cleanPath(given.absolutePath()) != QDir::cleanPath(program.absolutePath()))
        return helpFile;
    const QString beside = program.filePath(given.fileName());
    const QString installed =
        QDir::cleanPath(program.filePath("../share/pixolat/" + given.fileName()));
    if (QFileInfo(beside).isFile()) return beside;
    if (QFileInfo(installed).isFile()) return installed;
    return given.isAbsolute() ? helpFile : beside;
}

HelpViewer::HelpViewer(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
    setObjectName("HelpViewer");
    // A window of its own beside the editor, not a dialog: it can be
    // minimized, maximized and resized, and it blocks nothing.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setModal(false);
    browser_->setObjectName("HelpText");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(620, 520);
}

QString HelpViewer::plainText() const {
    return browser_->toPlainText();
}

template <class Find>
void HelpViewer::Show(const QString& helpFile, const QString& wanted, Find find) {
    const QString path = ResolveHelpPath(helpFile);
    const std::optional<HelpFile> file = HelpFile::Load(path);
    if (!file) {
        ShowPage("Help not available", "<p>The help file \"" +
                                           Escaped(QDir::toNativeSeparators(path)) +
                                           "\" cannot be opened.</p>");
        return;
    }
    const HelpTopic* topic = find(*file);
    if (topic == nullptr) {
        ShowPage("Help topic not found", "<p>The help file \"" +
                                             Escaped(QDir::toNativeSeparators(path)) +
                                             "\" has no topic " + Escaped(wanted) + ".</p>");
        return;
    }
    ShowPage(topic->title, TopicHtml(*topic));
}

void HelpViewer::ShowTopic(const QString& helpFile, const QString& name) {
    Show(helpFile, "\"" + name + "\"", [&](const HelpFile& f) { return f.FindByName(name); });
}

void HelpViewer::ShowContext(const QString& helpFile, int context) {
    Show(helpFile, "for context number " + QString::number(context),
         [&](const HelpFile& f) { return f.FindByContext(context); });
}

void HelpViewer::ShowPage(const QString& title, const QString& html) {
    title_ = title;
    setWindowTitle(title + " - Pixolat Help");
    browser_->setHtml(html);
    show();
    raise();
    activateWindow();
}

}  // namespace pixolat

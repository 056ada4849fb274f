#pragma once
// The help window. The help file is the program's own plain text format:
//
//   @topic IDH_01002 2501       starts a topic: its names and context numbers
//   Keyboard commands           the line after it is the title
//   Some text.                  lines up to a blank line form a paragraph
//   - an item                   a list item
//   Key | Action                table rows; the first row of a table is its heading
//
// Lines before the first topic are comments. A file or topic that cannot be
// found is reported in the window itself, so asking for help never fails.
#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class QTextBrowser;

namespace pixolat {

struct HelpTopic {
    QStringList names;
    QList<int> contexts;
    QString title;
    QStringList lines;
};

// The topics of one help file.
class HelpFile {
public:
    // Reads and parses the file; nothing when it cannot be read.
    static std::optional<HelpFile> Load(const QString& path);
    static HelpFile Parse(const QString& text);

    const HelpTopic* FindByName(const QString& name) const;
    const HelpTopic* FindByContext(int context) const;
    const QList<HelpTopic>& topics() const { return topics_; }

private:
    QList<HelpTopic> topics_;
};

// The topic as HTML for the browser.
QString TopicHtml(const HelpTopic& topic);

// Where the help file is: the path as given when it names a file, else, for
// a bare name or a path beside the program, the same name beside the program
// (a bare name must not depend on the folder the program was started from)
// or in share/pixolat of the installation the program belongs to
// (programDir/../share/pixolat). programDir defaults to the program's folder.
QString ResolveHelpPath(const QString& helpFile, const QString& programDir = {});

class HelpViewer : public QDialog {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);

    void ShowTopic(const QString& helpFile, const QString& name);
    void ShowContext(const QString& helpFile, int context);

    // The title and text shown, for tests and for the window caption.
    QString title() const { return title_; }
    QString plainText() const;

private:
    // Loads the file (again, so an edited file shows at once) and shows the
    // topic found, or the message when the file or the topic is missing.
    template <class Find>
    void Show(const QString& helpFile, const QString& wanted, Find find);
    void ShowPage(const QString& title, const QString& html);

    QTextBrowser* browser_;
    QString title_;
};

}  // namespace pixolat

// Reads source text into the store, a piece at a time.
//
// Lines are maximal runs of characters other than CR and LF; each is cut at
// its first "//". Only the start of a line is held until it is known to be a
// header (held whole: it is short) or data (handed on as it arrives); a
// "//@" line is held whole too. A section's data goes straight into its image.
#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "document/errors.h"
#include "document/pixels.h"
#include "document/text.h"
#include "formats/source_meta.h"
#include "formats/source_section.h"
#include "formats/source_syntax.h"
#include "formats/source_text.h"

namespace pixolat {

namespace {

// A header line, a "//@" line or the blanks that start a line are held; none
// of them is ever this long in a text that reads as anything.
constexpr std::size_t kHeldLineLimit = std::size_t(4) << 20;

// Names of sections that did not fit, kept for the message; more are counted.
constexpr std::size_t kDroppedNamesKept = 64;

bool IsLetter(char c) {
    const char u = UpperAscii(c);
    return u >= 'A' && u <= 'Z';
}

enum class LineKind { Undecided, Header, Data, Meta, Skip };

// Classifies the start of a line (cut at "//"). `complete` says the line
// ends after these characters; `i` is where the leading blanks seen so far
// end, and moves on over further blanks.
LineKind Classify(std::string_view head, bool complete, std::size_t& i) {
    for (;;) {
        if (i == head.size()) return complete ? LineKind::Data : LineKind::Undecided;
        const char c = head[i];
        if (c == '\xC2') {  // the UTF-8 non-breaking space counts as a blank
            if (i + 1 == head.size()) return complete ? LineKind::Data : LineKind::Undecided;
            if (head[i + 1] == '\xA0') {
                i += 2;
                continue;
            }
            return LineKind::Data;
        }
        if (!IsBlank(c)) break;
        ++i;
    }
    const char key = head[i];
    if (key == '/') {
        if (i + 1 == head.size()) return complete ? LineKind::Data : LineKind::Undecided;
        if (head[i + 1] != '/') return LineKind::Data;
        if (i > 0) return LineKind::Data;  // blanks before a comment are data
        if (head.size() < 3) return complete ? LineKind::Skip : LineKind::Undecided;
        return head[2] == '@' ? LineKind::Meta : LineKind::Skip;
    }
    if (key == ';') return LineKind::Header;
    if (!IsLetter(key)) return LineKind::Data;
    if (UpperAscii(key) != 'D') return LineKind::Header;
    if (i + 1 == head.size()) return complete ? LineKind::Header : LineKind::Undecided;
    return UpperAscii(head[i + 1]) == 'B' ? LineKind::Data : LineKind::Header;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

// A dialect text: a line that starts at its first column is a label (the
// header), ";@" starts a metadata line and ";" a comment; an indented line
// is data and must begin with the dialect's directive, whose end `skip`
// receives.
LineKind ClassifyDialect(std::string_view head, bool complete, std::size_t& i,
                         std::string_view directive, std::size_t& skip) {
    if (head.empty()) return complete ? LineKind::Skip : LineKind::Undecided;
    if (head[0] == ';') {
        if (head.size() < 2) return complete ? LineKind::Skip : LineKind::Undecided;
        return head[1] == '@' ? LineKind::Meta : LineKind::Skip;
    }
    if (!IsBlank(head[0])) return LineKind::Header;
    while (i < head.size() && IsBlank(head[i])) ++i;
    if (i == head.size()) return complete ? LineKind::Skip : LineKind::Undecided;
    if (head[i] == ';') return LineKind::Skip;
    const std::size_t end = i + directive.size();
    if (head.size() <= end && !complete) return LineKind::Undecided;
    const bool ok = head.size() >= end &&
                    SameIgnoringCase(head.substr(i, directive.size()), directive) &&
                    (head.size() == end || IsBlank(head[end]) || head[end] == ';');
    if (!ok)
        throw Error("a data line must begin with \"" + std::string(directive) +
                    "\", as the text's first line says");
    skip = end;
    return LineKind::Data;
}

// The dialect named by a text's first line ";@ syntax NAME"; db is no dialect.
std::optional<SourceSyntax> MarkedSyntax(std::string_view line) {
    constexpr std::string_view kMark = ";@ syntax ";
    if (!line.starts_with(kMark)) return std::nullopt;
    const std::optional<SourceSyntax> syntax =
        SyntaxFromName(TrimControls(line.substr(kMark.size())));
    if (syntax == SourceSyntax::Db) return std::nullopt;
    return syntax;
}

// A dialect's header "label[:] ; fields" as the db form "label; fields".
std::string DialectHeader(std::string_view line) {
    const std::size_t semicolon = line.find(';');
    std::string_view label = TrimControls(line.substr(0, semicolon));
    if (label.ends_with(':')) label = TrimControls(label.substr(0, label.size() - 1));
    std::string header(label);
    if (semicolon != std::string_view::npos) header += line.substr(semicolon);
    return header;
}

std::string_view CutComment(std::string_view line) {
    const std::size_t slashes = line.find("//");
    return slashes == std::string_view::npos ? line : line.substr(0, slashes);
}

}  // namespace

class SourceTextReader::Impl {
public:
    Impl(ImageStore& store, EditorState& state, BeforeImageChange beforeChange,
         SourceTextOptions options)
        : store_(store),
          state_(state),
          savedState_(state),
          beforeChange_(std::move(beforeChange)),
          skipBom_(options.skipByteOrderMark) {
        state_.currentImage = std::clamp(state_.currentImage, 0, kLastImage);
        target_ = state_.currentImage;
    }

    ~Impl() {
        if (!finished_) Rollback();
    }

    void Feed(std::string_view piece) {
        Guarded([&] { Scan(piece.data(), piece.data() + piece.size()); });
    }

    SourceLoadResult Finish() {
        Guarded([&] {
            EndLine();
            EndSectionData();
            if (pendingHeader_) CommitHeader(std::nullopt);
            if (sectionData_ || headerOnly_) CountSection();
            if (fileCurrent_) {
                state_.currentImage = *fileCurrent_;
                result_.restoredCurrent = true;
            }
        });
        finished_ = true;
        backups_.clear();
        return std::move(result_);
    }

private:
    template <class Step>
    void Guarded(Step step) {
        if (finished_) throw Error("The source text was already read.");
        try {
            step();
        } catch (const Error& e) {
            Rollback();
            finished_ = true;
            throw Error("line " + std::to_string(errorLine_) + ": " + e.text());
        } catch (...) {
            Rollback();
            finished_ = true;
            throw;
        }
    }

    // ---- Lines -----------------------------------------------------------

    void Scan(const char* p, const char* end) {
        if (skipBom_) {
            // The mark may come split over pieces.
            static constexpr char kBom[] = "\xEF\xBB\xBF";
            while (p < end && bomSeen_ < 3) {
                if (*p != kBom[bomSeen_]) {
                    const std::string partial(kBom, bomSeen_);
                    skipBom_ = false;
                    bomSeen_ = 3;
                    ScanLines(partial.data(), partial.data() + partial.size());
                    break;
                }
                ++p;
                ++bomSeen_;
            }
            if (bomSeen_ == 3) skipBom_ = false;
            if (skipBom_) return;
        }
        ScanLines(p, end);
    }

    void ScanLines(const char* p, const char* end) {
        while (p < end) {
            const char c = *p;
            if (c == '\r' || c == '\n') {
                if (inLine_) EndLine();
                // CR LF, a lone CR and a lone LF each end one line.
                if (!(c == '\n' && lastCr_)) ++line_;
                lastCr_ = c == '\r';
                errorLine_ = line_;
                ++p;
                continue;
            }
            lastCr_ = false;
            if (!inLine_) {
                inLine_ = true;
                kind_ = LineKind::Undecided;
                held_.clear();
                blanks_ = 0;
                slash_ = false;
            }
            errorLine_ = line_;
            const char* stop = p;
            while (stop < end && *stop != '\r' && *stop != '\n') ++stop;
            LineChars(p, stop);
            p = stop;
        }
    }

    // Characters of the line under way, none of them CR or LF.
    void LineChars(const char* p, const char* end) {
        while (p < end) {
            switch (kind_) {
                case LineKind::Undecided: {
                    held_.push_back(*p++);
                    kind_ = ClassifyHead(false);
                    if (kind_ == LineKind::Data) {
                        std::string head = std::move(held_);
                        held_.clear();
                        DataLine(head);
                    } else if (kind_ == LineKind::Undecided) {
                        Hold();
                    }
                    break;
                }
                case LineKind::Header:
                case LineKind::Meta: {
                    const std::size_t n = std::size_t(end - p);
                    held_.append(p, n);
                    p = end;
                    Hold();
                    break;
                }
                case LineKind::Data:
                    DataChars(p, end);
                    p = end;
                    break;
                case LineKind::Skip:
                    p = end;
                    break;
            }
        }
    }

    // Keeps a held line within bounds; past the limit a header line cut at
    // "//" is read up to the cut, anything else is refused.
    void Hold() {
        if (held_.size() <= kHeldLineLimit) return;
        const std::size_t slashes = held_.find("//", kind_ == LineKind::Meta ? 3 : 0);
        if (kind_ == LineKind::Header && slashes != std::string::npos) {
            held_.resize(slashes);
            EndHeldLine();
            kind_ = LineKind::Skip;
            return;
        }
        throw Error("the line is longer than " + std::to_string(kHeldLineLimit >> 20) +
                    " MB, which no source text line is");
    }

    // Data characters up to the comment; a "/" at a piece's end waits for
    // the next character.
    void DataChars(const char* p, const char* end) {
        StartSectionData();
        if (syntax_ != SourceSyntax::Db) {
            // A dialect's comments begin with ";".
            const void* hit = std::memchr(p, ';', std::size_t(end - p));
            if (hit) {
                data_.Feed(p, std::size_t(static_cast<const char*>(hit) - p));
                kind_ = LineKind::Skip;
                return;
            }
            data_.Feed(p, std::size_t(end - p));
            return;
        }
        if (slash_ && p < end) {
            slash_ = false;
            if (*p == '/') {
                kind_ = LineKind::Skip;
                return;
            }
            data_.Feed("/", 1);
        }
        const char* run = p;
        while (p < end) {
            const void* hit = std::memchr(p, '/', std::size_t(end - p));
            if (!hit) {
                p = end;
                break;
            }
            p = static_cast<const char*>(hit);
            if (p + 1 == end) {
                data_.Feed(run, std::size_t(p - run));
                slash_ = true;
                return;
            }
            if (p[1] == '/') {
                data_.Feed(run, std::size_t(p - run));
                kind_ = LineKind::Skip;
                return;
            }
            p += 1;
        }
        data_.Feed(run, std::size_t(p - run));
    }

    void EndLine() {
        if (!inLine_) return;
        inLine_ = false;
        if (kind_ == LineKind::Undecided) {
            kind_ = ClassifyHead(true);
            if (kind_ == LineKind::Data) {
                std::string head = std::move(held_);
                held_.clear();
                DataLine(head);
            }
        }
        if (kind_ == LineKind::Data && slash_) {
            slash_ = false;
            data_.Feed("/", 1);
        }
        if (kind_ == LineKind::Header || kind_ == LineKind::Meta) EndHeldLine();
        held_.clear();
        lineSeen_ = true;
    }

    // The start of a data line. A dialect's lines stand each on their own:
    // a TAB keeps a line's last value from joining the next line's "B ..."
    // (where "$DB" ends a line) as the db form's removal of "DB " would.
    void DataLine(const std::string& head) {
        if (syntax_ != SourceSyntax::Db) {
            StartSectionData();
            data_.Feed("\t", 1);
        }
        DataChars(head.data() + dataSkip_, head.data() + head.size());
    }

    LineKind ClassifyHead(bool complete) {
        dataSkip_ = 0;
        if (syntax_ == SourceSyntax::Db) return Classify(held_, complete, blanks_);
        return ClassifyDialect(held_, complete, blanks_, DataDirective(syntax_), dataSkip_);
    }

    void EndHeldLine() {
        if (kind_ == LineKind::Header) {
            if (!lineSeen_ && syntax_ == SourceSyntax::Db) {
                if (const std::optional<SourceSyntax> syntax = MarkedSyntax(held_)) {
                    syntax_ = *syntax;
                    return;
                }
            }
            if (syntax_ == SourceSyntax::Db) {
                HeaderLine(CutComment(held_));
            } else {
                HeaderLine(DialectHeader(held_));
            }
        } else {
            MetaLine(held_);
        }
    }

    // ---- Sections --------------------------------------------------------

    void HeaderLine(std::string_view line) {
        if (pendingHeader_) CommitHeader(std::nullopt);
        EndSectionData();
        if (sectionData_) {
            CountSection();
            sectionData_ = false;
            advance_ = true;
        }
        pendingHeader_ = ParseHeaderLine(line);
        headerLine_ = line_;
    }

    void MetaLine(std::string_view line) {
        const pixolat::MetaLine meta = ParseMetaLine(line);
        if (pendingHeader_) {
            CommitHeader(meta.image);
            if (meta.image) return;
        }
        if (meta.current) fileCurrent_ = *meta.current;
        if (meta.cells && indexed_ && !sectionData_) ApplyCells(*meta.cells);
    }

    // Applies the header to the image it belongs to: the one its "//@ image"
    // line names, else the next image after a section with data.
    void CommitHeader(const std::optional<ImageMeta>& meta) {
        const HeaderFields header = std::move(*pendingHeader_);
        pendingHeader_.reset();
        const int lineNow = errorLine_;
        errorLine_ = headerLine_;
        indexed_ = meta.has_value();
        if (meta) {
            dropping_ = false;
            advance_ = false;
            target_ = meta->index;
            Touch(target_);
            ResetImageColors(store_.image(target_));
        } else if (advance_) {
            advance_ = false;
            if (dropping_ || target_ == kLastImage) {
                dropping_ = true;
                ++result_.droppedSections;
                if (result_.droppedNames.size() < kDroppedNamesKept)
                    result_.droppedNames.push_back(header.name);
            } else {
                ++target_;
                Touch(target_);
                ResetImageColors(store_.image(target_));
            }
        } else if (dropping_) {
            // A second header before any data renames the same image.
            if (std::size_t(result_.droppedSections) <= kDroppedNamesKept)
                result_.droppedNames.back() = header.name;
        }
        if (!dropping_) {
            state_.currentImage = target_;
            Touch(target_);
            ImageDescriptor& desc = store_.image(target_).desc;
            ApplyHeader(header, desc);
            if (meta) {
                desc.color0 = meta->color0;
                desc.color3 = meta->color3;
                // An edited header name wins over the exact one.
                const bool written = syntax_ == SourceSyntax::Db
                                         ? header.name == ReadableName(meta->name)
                                         : IsLabelOf(header.name, meta->name, meta->index);
                if (written) desc.name = meta->name;
            }
            headerOnly_ = true;
        }
        colorMapMode_ = header.colorMapMode;
        result_.truncated = dropping_;
        errorLine_ = lineNow;
    }

    void ApplyCells(const CellsMeta& cells) {
        Image& image = store_.image(target_);
        const CellWalk walk(image.desc);
        const std::size_t columns = std::size_t(std::max(walk.columns(), 1));
        AttributePlane& plane = cells.luminance ? image.lummap : image.colmap;
        for (std::size_t i = 0; i < cells.values.size(); ++i) {
            const std::size_t cell = cells.first + i;
            const std::size_t cx = cell % columns, cy = cell / columns;
            if (cx < std::size_t(kCellColumns) && cy < std::size_t(kCellRows))
                plane.at(cells.bank, int(cx), int(cy)) = cells.values[i];
        }
    }

    void StartSectionData() {
        if (sectionData_) return;
        if (pendingHeader_) CommitHeader(std::nullopt);
        sectionData_ = true;
        if (dropping_) {
            sink_.reset();
            data_ = DataStream(nullptr);
            return;
        }
        state_.currentImage = target_;
        Touch(target_);
        NormalizeCurrentImage(store_, state_);
        sink_.emplace(store_.image(target_), colorMapMode_);
        data_ = DataStream(&*sink_);
    }

    void EndSectionData() {
        if (!sectionData_) return;
        data_.End();
        result_.values += data_.values();
        data_ = DataStream(nullptr);
        sink_.reset();
    }

    void CountSection() {
        headerOnly_ = false;
        if (dropping_) return;
        ++result_.sections;
        result_.images.push_back(target_);
    }

    // ---- All or nothing --------------------------------------------------

    void Touch(int index) {
        if (!backups_[std::size_t(index)]) {
            backups_[std::size_t(index)].emplace(store_.image(index));
            touchedOrder_.push_back(index);
        }
        if (index != announced_) {
            announced_ = index;
            if (beforeChange_) beforeChange_(index);
        }
    }

    void Rollback() {
        for (auto i = touchedOrder_.rbegin(); i != touchedOrder_.rend(); ++i)
            backups_[std::size_t(*i)]->Restore(store_.image(*i));
        backups_.clear();
        touchedOrder_.clear();
        state_ = savedState_;
    }

    ImageStore& store_;
    EditorState& state_;
    const EditorState savedState_;
    BeforeImageChange beforeChange_;
    bool skipBom_;
    std::size_t bomSeen_ = 0;
    bool finished_ = false;

    std::vector<std::optional<ImageBackup>> backups_ =
        std::vector<std::optional<ImageBackup>>(kImageCount);
    std::vector<int> touchedOrder_;
    int announced_ = -1;

    // The line under way.
    int line_ = 1;
    int errorLine_ = 1;
    bool lastCr_ = false;
    bool inLine_ = false;
    LineKind kind_ = LineKind::Undecided;
    std::string held_;
    std::size_t blanks_ = 0;  // leading blanks of held_ already looked at
    bool slash_ = false;
    std::size_t dataSkip_ = 0;  // a dialect's directive at the start of a data line
    bool lineSeen_ = false;     // a line was read: the dialect's mark is no longer looked for
    SourceSyntax syntax_ = SourceSyntax::Db;

    // The section under way.
    int target_ = 0;
    std::optional<HeaderFields> pendingHeader_;
    int headerLine_ = 1;
    bool advance_ = false;      // the previous section had data: a header moves on
    bool sectionData_ = false;  // the section received data characters
    bool headerOnly_ = false;   // a header was applied that no data followed yet
    bool colorMapMode_ = false;
    bool indexed_ = false;
    bool dropping_ = false;
    std::optional<SectionData> sink_;
    DataStream data_{nullptr};
    std::optional<int> fileCurrent_;
    SourceLoadResult result_;
};

SourceTextReader::SourceTextReader(ImageStore& store, EditorState& state,
                                   BeforeImageChange beforeChange, SourceTextOptions options)
    : impl_(std::make_unique<Impl>(store, state, std::move(beforeChange), options)) {}

SourceTextReader::~SourceTextReader() = default;

void SourceTextReader::Feed(std::string_view piece) {
    impl_->Feed(piece);
}

SourceLoadResult SourceTextReader::Finish() {
    return impl_->Finish();
}

SourceLoadResult LoadSourceText(ImageStore& store, EditorState& state, std::string_view text,
                                const BeforeImageChange& beforeChange) {
    SourceTextReader reader(store, state, beforeChange);
    reader.Feed(text);
    return reader.Finish();
}

SourceLoadResult LoadSourceFile(ImageStore& store, EditorState& state,
                                const std::vector<uint8_t>& bytes,
                                const BeforeImageChange& beforeChange) {
    SourceTextReader reader(store, state, beforeChange, {.skipByteOrderMark = true});
    reader.Feed(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return reader.Finish();
}

}  // namespace pixolat

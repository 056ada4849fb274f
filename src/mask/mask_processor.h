#pragma once
// The Mask Processor's logic: turns a color-coded mask picture and two
// pattern pictures into a four-level grey picture. Pre-process reads the
// mask into a color table and a class map; the user then gives every color a
// role in the grid; Process renders and saves the result beside the mask.
//
// The grid is modelled with its fixed header row: row 0 is that empty row,
// row r >= 1 shows table entry r - 1 (color in decimal, role word, offset).
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mask/mask_color_table.h"
#include "mask/mask_render.h"
#include "platform/picture_files.h"

namespace pixolat {

// The help file's context number of the Mask Processor window.
inline constexpr int kMaskProcessorHelpContext = 2700;

// For every mask pixel, the index of its color in the table; rows top down.
class MaskClassMap {
public:
    static constexpr int kMaxWidth = 16001;
    static constexpr int kMaxHeight = 1024;

    // Sizes the map for a mask, keeping the memory of an earlier one that was
    // as large. Every index must be written before it is read.
    void Reset(int width, int height);
    void Clear() { width_ = height_ = 0; }

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ == 0 || height_ == 0; }
    uint8_t at(int x, int y) const { return row(y)[x]; }
    uint8_t* row(int y) { return indices_.get() + std::size_t(y) * std::size_t(width_); }
    const uint8_t* row(int y) const {
        return indices_.get() + std::size_t(y) * std::size_t(width_);
    }

private:
    int width_ = 0;
    int height_ = 0;
    std::size_t capacity_ = 0;
    std::unique_ptr<uint8_t[]> indices_;
};

// The window around the processor: its caption doubles as the status line.
class MaskProcessorView {
public:
    virtual ~MaskProcessorView() = default;
    virtual void SetCaption(const std::string& text) = 0;
    // The grid rows changed while an operation is still running.
    virtual void GridChanged() {}
    // Runs the window system's pending events between rows of a long
    // operation, so the window stays responsive (and can cancel it).
    virtual void ProcessPendingEvents() {}
    // A picture was read although its file is cut short or damaged: the text
    // says so, as the picture import says it.
    virtual void ShowWarning(const std::string& /*text*/) {}
};

class MaskProcessor {
public:
    MaskProcessor(PictureFiles& pictures, MaskProcessorView& view);

    // Builds the color table and the class map from the mask picture. A mask
    // that does not fit the table or the map is refused with a caption and
    // leaves no mask. Load failures throw; nothing has changed then.
    void PreProcess(const std::string& maskPath);
    // Renders the output from the last pre-processed mask and saves it as
    // ResultPath(maskPath). Load and save failures throw, leaving the
    // caption at its last progress text.
    void Process(const std::string& maskPath, const std::string& pattern1Path,
                 const std::string& pattern2Path);
    // Edits the role or level offset of the entry in the grid's current row
    // with a virtual-key code. Returns whether the key was consumed.
    bool GridKeyDown(int row, int column, int key);
    // Stops a running operation after its current row, keeping no half result.
    void Cancel();

    static std::string ResultPath(const std::string& maskPath) { return maskPath + ".NEW.BMP"; }

    int GridRowCount() const { return int(grid_.size()); }
    const std::string& GridCell(int row, int column) const;
    const MaskColorTable& table() const { return table_; }
    bool HasMask() const { return !classMap_.empty(); }
    bool busy() const { return busy_; }

    static constexpr int kColumns = 3;

private:
    class BusyScope;

    void DiscardMask();
    bool ClassifyRows(const Picture& mask);
    void FillGrid();
    bool ProgressAfterRow(int y, int height);
    MaskColorEntry* EntryAtRow(int row);
    Picture LoadWholePicture(const std::string& path);

    PictureFiles& pictures_;
    MaskProcessorView& view_;
    MaskColorTable table_;
    MaskClassMap classMap_;
    // Kept between runs: processing again after changing a role reuses it.
    Picture output_;
    std::vector<std::array<std::string, kColumns>> grid_;
    bool busy_ = false;
    bool cancelled_ = false;
};

}  // namespace pixolat

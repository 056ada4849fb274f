// Runs the runnable export's viewer on a small 6502 model of the Plus/4's
// memory, TED registers and keyboard, and checks what the machine would do:
// the video registers while the picture shows, and the text screen's
// registers back when a key has been pressed and BASIC continues.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

#include "document/image_store.h"
#include "formats/runnable_prg.h"

using namespace pixolat;

namespace {

// The text screen the Plus/4 shows after RUN.
constexpr std::array<std::pair<int, uint8_t>, 7> kTextScreen = {{{0xFF06, 0x1B},
                                                                 {0xFF07, 0x08},
                                                                 {0xFF12, 0xC6},
                                                                 {0xFF14, 0x08},
                                                                 {0xFF15, 0xF1},
                                                                 {0xFF16, 0xF2},
                                                                 {0xFF19, 0xEE}}};

struct Machine {
    std::array<uint8_t, 65536> memory{};
    uint8_t a = 0, x = 0, y = 0, sp = 0xFF;
    bool negative = false, zero = false, carry = false, interruptsOff = false;
    int pc = 0;
    // Keyboard: the key that started the program is still down for the
    // first samples, then nothing, then a key for a while, then nothing.
    int keySamples = 0;
    std::array<uint8_t, 256> shown{};  // TED registers when the new key went down
    bool sawPicture = false;
    bool shownWithInterruptsOff = false;
    std::string fault;

    uint8_t Read(int address) {
        if (address == 0xFF08) {
            const int n = keySamples++;
            const bool down = n < 3 || (n >= 20 && n < 30);
            if (n == 20) {
                for (int r = 0; r < 256; ++r)
                    shown[std::size_t(r)] = memory[std::size_t(0xFF00 + r)];
                sawPicture = true;
                shownWithInterruptsOff = interruptsOff;
            }
            return down ? 0xFE : 0xFF;
        }
        return memory[std::size_t(address & 0xFFFF)];
    }
    void Write(int address, uint8_t value) {
        if (address >= 0x1800 && address < 0x1800 + 10048)
            fault = "wrote into the picture at " + std::to_string(address);
        memory[std::size_t(address & 0xFFFF)] = value;
    }
    int Word(int address) { return Read(address) | Read(address + 1) << 8; }
    void Flags(uint8_t v) {
        negative = v & 0x80;
        zero = v == 0;
    }
    void Push(uint8_t v) { memory[std::size_t(0x100 + sp--)] = v; }
    uint8_t Pull() { return memory[std::size_t(0x100 + ++sp)]; }
    void Branch(bool taken) {
        const int offset = int8_t(Read(pc + 1));
        pc += 2;
        if (taken) pc += offset;
    }

    // One instruction; false on an opcode this model does not know. The
    // viewer's instructions, one a line.
    bool Step() {
        const uint8_t op = Read(pc);
        const int abs = Word(pc + 1);
        const uint8_t imm = Read(pc + 1);
        // clang-format off
        switch (op) {
            case 0x78: interruptsOff = true; pc += 1; return true;                    // SEI
            case 0x58: interruptsOff = false; pc += 1; return true;                   // CLI
            case 0xA9: Flags(a = imm); pc += 2; return true;                          // LDA #
            case 0xA2: Flags(x = imm); pc += 2; return true;                          // LDX #
            case 0xAD: Flags(a = Read(abs)); pc += 3; return true;                    // LDA abs
            case 0xBD: Flags(a = Read(abs + x)); pc += 3; return true;                // LDA abs,X
            case 0xB9: Flags(a = Read(abs + y)); pc += 3; return true;                // LDA abs,Y
            case 0xBC: Flags(y = Read(abs + x)); pc += 3; return true;                // LDY abs,X
            case 0x8D: Write(abs, a); pc += 3; return true;                           // STA abs
            case 0x9D: Write(abs + x, a); pc += 3; return true;                       // STA abs,X
            case 0x99: Write(abs + y, a); pc += 3; return true;                       // STA abs,Y
            case 0x85: Write(imm, a); pc += 2; return true;                           // STA zp
            case 0x29: Flags(a &= imm); pc += 2; return true;                         // AND #
            case 0x09: Flags(a |= imm); pc += 2; return true;                         // ORA #
            case 0x0D: Flags(a |= Read(abs)); pc += 3; return true;                   // ORA abs
            case 0x49: Flags(a ^= imm); pc += 2; return true;                         // EOR #
            case 0x0A: carry = a & 0x80; Flags(a = uint8_t(a << 1)); pc += 1; return true;  // ASL A
            case 0x4A: carry = a & 1; Flags(a >>= 1); pc += 1; return true;           // LSR A
            case 0xCA: Flags(--x); pc += 1; return true;                              // DEX
            case 0xDD: carry = a >= Read(abs + x); Flags(uint8_t(a - Read(abs + x))); pc += 3; return true;  // CMP abs,X
            case 0x10: Branch(!negative); return true;                                // BPL
            case 0xD0: Branch(!zero); return true;                                    // BNE
            case 0xF0: Branch(zero); return true;                                     // BEQ
            case 0x20: Push(uint8_t((pc + 2) >> 8)); Push(uint8_t(pc + 2)); pc = abs; return true;  // JSR
            case 0x60: pc = Pull(); pc = (pc | Pull() << 8) + 1; return true;         // RTS
            default: return false;
        }
        // clang-format on
    }
};

int SysAddress(const std::vector<uint8_t>& file) {
    std::string digits;
    for (std::size_t i = 7; i < file.size() && file[i] != 0; ++i) digits += char(file[i]);
    return std::stoi(digits);
}

// Loads the file, calls the viewer as SYS does and runs it until it returns.
void RunViewer(Machine& machine, const std::vector<uint8_t>& file) {
    for (std::size_t i = 2; i < file.size(); ++i) machine.memory[0x1001 + i - 2] = file[i];
    for (auto [address, value] : kTextScreen) machine.memory[std::size_t(address)] = value;
    machine.memory[0xEF] = 3;  // keys typed while the picture showed
    constexpr int kReturn = 0xE000;
    machine.Push(uint8_t((kReturn - 1) >> 8));
    machine.Push(uint8_t(kReturn - 1));
    machine.pc = SysAddress(file);
    for (int steps = 0; machine.pc != kReturn; ++steps) {
        ASSERT_LT(steps, 100000) << "the viewer does not return";
        char where[64];
        std::snprintf(where, sizeof where, "opcode $%02X at $%04X",
                      machine.memory[std::size_t(machine.pc)], machine.pc);
        ASSERT_TRUE(machine.Step()) << "the model does not know " << where;
        ASSERT_EQ(machine.fault, "");
    }
}

}  // namespace

TEST(RunnableViewer, ShowsHiresAndMulticolorAndGivesTheTextScreenBack) {
    static ImageStore store;
    Image& image = store.image(1);
    std::mt19937 random(5);
    for (std::size_t i = 0; i < kPlaneBytes; ++i) image.plane.data()[i] = uint8_t(random() & 1);
    for (int pixelWidth : {1, 2}) {
        SCOPED_TRACE(pixelWidth == 2 ? "multicolor" : "hires");
        image.desc = ImageDescriptor{
            "", 320, 200, pixelWidth, Layout::Bitmap, ColorMapKind::Normal, 0x46, 0x1237};
        Machine machine;
        RunViewer(machine, EncodeRunnablePrg(image));
        if (testing::Test::HasFatalFailure()) return;
        ASSERT_TRUE(machine.sawPicture) << "the viewer never waited for a new key";
        const auto& ted = machine.shown;
        EXPECT_TRUE(machine.shownWithInterruptsOff) << "no interrupt routine may change TED";
        EXPECT_EQ(ted[0x06], 0x3B) << "bitmap mode, display on, 25 rows";
        EXPECT_EQ(ted[0x07] & 0x18, pixelWidth == 2 ? 0x18 : 0x08) << "multicolor and 40 columns";
        EXPECT_EQ(ted[0x12] & 0x3C, 0x08) << "bitmap at $2000, fetched from RAM";
        EXPECT_EQ(ted[0x12] & 0x03, 0xC6 & 0x03) << "the first voice's frequency stays";
        EXPECT_EQ(ted[0x14] & 0xF8, 0x18) << "attributes at $1800";
        if (pixelWidth == 2) {
            EXPECT_EQ(ted[0x15], 0x46) << "color0";
            EXPECT_EQ(ted[0x16], 0x37) << "color3, its low byte";
            EXPECT_EQ(ted[0x19], 0x46) << "the border continues the background";
        } else {
            EXPECT_EQ(ted[0x19], 0x00) << "black border";
        }
        // Back in BASIC: the text screen as it was, no key left over,
        // interrupts on again and the stack as SYS left it.
        for (auto [address, value] : kTextScreen)
            EXPECT_EQ(machine.memory[std::size_t(address)], value) << std::hex << address;
        EXPECT_EQ(machine.memory[0xEF], 0);
        EXPECT_FALSE(machine.interruptsOff);
        EXPECT_EQ(machine.sp, 0xFF);
        EXPECT_GT(machine.keySamples, 30) << "returned before the key went up";
    }
}

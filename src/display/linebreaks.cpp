#include "display/linebreaks.h"

#include <algorithm>
#include <optional>

#include "base/cp1252.h"

namespace korvex {
namespace {

// Line-breaking classes of Unicode's algorithm, as far as Windows-1252 has them.
enum Class : uint8_t { OP, CL, CP, QU, GL, NS, EX, SY, IS, PR, PO, NU, AL, BA, HY, BB, B2, IN, CM, SP, BK, kClasses };

struct CodeClass {
    char16_t code;
    Class cls;
};

// Every character but the digits that is not AL (letters and most symbols; Qt counts the
// ambiguous ones, such as § ° ² ¼ ×, as AL too).
constexpr CodeClass kNotLetters[] = {
    {0x09, BA},   {0x0B, BK},   {0x0C, BK},   {0x20, SP},   {'!', EX},    {'"', QU},    {'$', PR},    {'%', PO},
    {'\'', QU},   {'(', OP},    {')', CP},    {'+', PR},    {',', IS},    {'-', HY},    {'.', IS},    {'/', SY},
    {':', IS},    {';', IS},    {'?', EX},    {'[', OP},    {'\\', PR},   {']', CP},    {'{', OP},    {'|', BA},
    {'}', CL},    {0xA0, GL},   {0xA1, OP},   {0xA2, PO},   {0xA3, PR},   {0xA4, PR},   {0xA5, PR},   {0xAB, QU},
    {0xAD, BA},   {0xB0, PO},   {0xB1, PR},   {0xB4, BB},   {0xBB, QU},   {0xBF, OP},   {0x20AC, PR}, {0x201A, OP},
    {0x201E, OP}, {0x2026, IN}, {0x2030, PO}, {0x2039, QU}, {0x2018, QU}, {0x2019, QU}, {0x201C, QU}, {0x201D, QU},
    {0x2013, BA}, {0x2014, B2}, {0x203A, QU},
};

// Mathematical symbols among the AL characters: inside a number they join like a stop.
constexpr char16_t kMathLetters[] = {'<', '=', '>', '~', 0xAC, 0xD7, 0xF7};

Class classOf(char16_t c) {
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
        for (const CodeClass& entry : kNotLetters) {
            if (entry.code == c) return entry.cls;
        }
        return CM;  // controls stick to what precedes them
    }
    if (c >= '0' && c <= '9') return NU;
    for (const CodeClass& entry : kNotLetters) {
        if (entry.code == c) return entry.cls;
    }
    return AL;
}

// A direct break between two classes with no space between them: the "DB"
// entries of the pair table (after a hyphen or a breaking mark also "HH",
// which holds only after Hebrew letters).
constexpr auto kDirectBreaks = [] {
    std::array<std::array<bool, kClasses>, kClasses> table{};
    const auto allow = [&table](Class before, std::initializer_list<Class> after) {
        for (Class a : after) table[before][a] = true;
    };
    allow(CL, {OP, PR, PO, NU, AL, BB, B2});
    allow(CP, {OP, PR, PO, BB, B2});
    allow(NS, {OP, PR, PO, NU, AL, BB, B2});
    allow(EX, {OP, PR, PO, NU, AL, BB, B2});
    allow(SY, {OP, PR, PO, NU, AL, BB, B2});
    allow(IS, {OP, PR, PO, NU, BB, B2});
    allow(PR, {OP, PR, PO, BB, B2});
    allow(PO, {OP, PR, PO, BB, B2});
    allow(NU, {BB, B2});
    allow(AL, {BB, B2});
    allow(IN, {OP, PR, PO, NU, AL, BB, B2});
    allow(HY, {OP, GL, PR, PO, AL, BB, B2});
    allow(BA, {OP, GL, PR, PO, NU, AL, BB, B2});
    allow(B2, {OP, PR, PO, NU, AL, BB});
    return table;
}();

// Numbers: (PR|PO)? (OP|HY)? NU (NU|SY|IS)* (CL|CP)? (PR|PO)? is kept whole.
namespace number {

enum Part : uint8_t { None, Affix, Opening, Digit, Stop, Closing };
enum Step : uint8_t { Reset, Start, Continue, End };

constexpr Step kSteps[6][6] = {
    //  None  Affix     Opening   Digit     Stop      Closing
    {Reset, Start, Start, Start, Reset, Reset},        // None
    {Reset, Start, Continue, Continue, Reset, Reset},  // Affix
    {Reset, Start, Start, Continue, Reset, Reset},     // Opening
    {End, End, End, Continue, Continue, Continue},     // Digit
    {End, End, End, Continue, Continue, Continue},     // Stop
    {End, Continue, End, End, End, End},               // Closing
};

Part partOf(Class cls, char16_t c) {
    switch (cls) {
        case PR:
        case PO: return Affix;
        case OP:
        case HY: return Opening;
        case NU: return Digit;
        case SY:
        case IS: return Stop;
        case CL:
        case CP: return Closing;
        case AL:
            for (char16_t math : kMathLetters) {
                if (math == c) return Stop;
            }
            return None;
        default: return None;
    }
}

}  // namespace number

struct SlotInfo {
    Class cls = AL;
    number::Part part = number::None;
    LineBreaks::Flag flags{};
};

const std::array<SlotInfo, 256> kInfo = [] {
    std::array<SlotInfo, 256> info{};
    for (int byte = 0; byte < 256; ++byte) {
        const char16_t c = cp1252::toUnicode(static_cast<unsigned char>(byte));
        SlotInfo& slot = info[static_cast<size_t>(byte)];
        slot.cls = classOf(c);
        slot.part = number::partOf(slot.cls, c);
        int flags = 0;
        if (LineBreaks::isWhiteSpace(c)) flags |= LineBreaks::WhiteSpace;
        if (c == 0x09) flags |= LineBreaks::Tab | LineBreaks::Uneven;
        if (c == 0x0C) flags |= LineBreaks::Uneven;
        slot.flags = static_cast<LineBreaks::Flag>(flags);
    }
    return info;
}();

static_assert(LineBreaks::State::kStart == BK);

// Walks the text once, as Qt's line breaker does, keeping what it needs of
// the past in its state: the class before (spaces aside) and the number being read.
class Breaker {
public:
    Breaker(LineBreaks::Flag* flags, const LineBreaks::State& state) : flags_(flags), state_(state) {}

    const LineBreaks::State& state() const { return state_; }

    // Most characters change nothing: a space, or a letter after a letter outside a number.
    bool passes(const SlotInfo& info) {
        if (info.cls == SP && state_.last != BK) {
            state_.last = SP;
            state_.inWord = false;
            return true;
        }
        return state_.inWord && info.cls == AL && info.part == number::None;
    }

    void take(int pos, const SlotInfo& info) {
        const Class next = info.cls;
        // A space, and a control after a character, leave the class before as it is.
        const bool keepsClass = next == SP || (next == CM && state_.last != SP);
        if (state_.last == BK) {  // the text's start, or after a hard break character
            state_.cls = next == CM ? AL : next;
        } else if (next == BK) {
            state_.cls = BK;
        } else if (!keepsClass) {
            readNumber(pos, info.part);
            const Class before = state_.cls == CM ? AL : static_cast<Class>(state_.cls);
            if (state_.last != SP && kDirectBreaks[before][next]) {
                flags_[pos] = static_cast<LineBreaks::Flag>(flags_[pos] | LineBreaks::BreakBefore);
            }
            state_.cls = next;
        }
        state_.last = next;
        state_.inWord = state_.last == AL && state_.cls == AL && state_.numberPart == number::None;
    }

    void finish(int length) {
        if (number::kSteps[state_.numberPart][number::None] == number::End) keepWhole(length);
        if (length > 0) clearBreak(0);
    }

private:
    void readNumber(int pos, number::Part part) {
        switch (number::kSteps[state_.numberPart][part]) {
            case number::End:
                keepWhole(pos);
                state_.numberPart = number::None;
                break;
            case number::Reset: state_.numberPart = number::None; break;
            case number::Start:
                state_.numberStart = pos;
                state_.numberPart = part;
                break;
            case number::Continue: state_.numberPart = part; break;
        }
    }

    // No break inside the number that ends before `end`.
    void keepWhole(int end) {
        for (int j = state_.numberStart + 1; j < end; ++j) {
            clearBreak(j);
        }
    }

    void clearBreak(int pos) { flags_[pos] = static_cast<LineBreaks::Flag>(flags_[pos] & ~LineBreaks::BreakBefore); }

    // Not a byte array: stores to it cannot touch the state, which stays in registers.
    LineBreaks::Flag* flags_;
    LineBreaks::State state_;
};

}  // namespace

const std::array<int16_t, 0x2200> LineBreaks::kSlots = [] {
    std::array<int16_t, 0x2200> table{};
    table.fill(-1);
    for (int byte = 1; byte < 256; ++byte) {
        if (byte == '\n' || byte == '\r') continue;  // these end the block, they are never inside one
        table[cp1252::toUnicode(static_cast<unsigned char>(byte))] = static_cast<int16_t>(byte);
    }
    return table;
}();

namespace {

// The information of every character a document can hold, by its code; others are marked unknown.
const std::vector<SlotInfo> kCharInfo = [] {
    std::vector<SlotInfo> info(0x2200);
    for (SlotInfo& entry : info) entry.cls = kClasses;
    for (int byte = 1; byte < 256; ++byte) {
        const char16_t c = cp1252::toUnicode(static_cast<unsigned char>(byte));
        if (LineBreaks::slotOf(c) >= 0) info[c] = kInfo[static_cast<size_t>(byte)];
    }
    return info;
}();

}  // namespace

bool LineBreaks::find(QStringView text, std::vector<Flag>& flags) {
    const int length = static_cast<int>(text.size());
    flags.resize(static_cast<size_t>(length));
    State state;
    Breaker breaker(flags.data(), state);
    const char16_t* chars = text.utf16();
    const SlotInfo* table = kCharInfo.data();
    for (int pos = 0; pos < length; ++pos) {
        const char16_t c = chars[pos];
        if (c >= 0x2200 || table[c].cls == kClasses) return false;
        const SlotInfo& info = table[c];
        flags[static_cast<size_t>(pos)] = info.flags;
        if (!breaker.passes(info)) breaker.take(pos, info);
    }
    breaker.finish(length);
    return true;
}

void LineBreaks::start(QStringView text) {
    text_ = text.utf16();
    length_ = static_cast<int>(text.size());
    flags_.resize(static_cast<size_t>(length_));
    done_ = 0;
    state_ = State();
    gaps_.clear();
    lastGapEnd_ = 0;
}

// Walks [from, to) on from `state`; the text must be valid there.
void LineBreaks::walk(State& state, int from, int to) {
    Breaker breaker(flags_.data(), state);
    const SlotInfo* table = kCharInfo.data();
    for (int pos = from; pos < to; ++pos) {
        const SlotInfo& info = table[text_[pos]];
        flags_[static_cast<size_t>(pos)] = info.flags;
        if (!breaker.passes(info)) breaker.take(pos, info);
    }
    if (to == length_) breaker.finish(length_);
    state = breaker.state();
}

void LineBreaks::make(int pos) {
    if (pos >= done_) {
        // A bit ahead at once, and on until no number is open: a number's end
        // may take back break chances inside it.
        int to = std::min(length_, std::max(pos + 1, done_ + 8));
        walk(state_, done_, to);
        while (to < length_ && state_.numberPart != number::None) {
            walk(state_, to, to + 1);
            ++to;
        }
        done_ = to;
        return;
    }
    for (size_t gap = gaps_.size(); gap-- > 0;) {
        if (pos >= gaps_[gap].from && pos < gaps_[gap].to) return fill(gap);
    }
}

void LineBreaks::fill(size_t gap) {
    State state = gaps_[gap].state;
    walk(state, gaps_[gap].from, gaps_[gap].to);
    gaps_.erase(gaps_.begin() + static_cast<std::ptrdiff_t>(gap));
    lastGapEnd_ = gaps_.empty() ? 0 : gaps_.back().to;
}

namespace {

constexpr int kLookBack = 64;  // how far back a place to go on from is sought

const SlotInfo* infoOf(char16_t c) {
    const SlotInfo* const info = c < kCharInfo.size() ? &kCharInfo[c] : nullptr;
    return info && info->cls != kClasses ? info : nullptr;
}

// The walker's class before the spaces that follow `last`, when its state
// after them does not depend on what came before: `last` ends a word that
// ends any number (a letter, a quote, a dash, ...), perhaps followed by
// stops, commas and closing brackets, which open none; the word does not
// follow a hard break, after which the walker starts afresh without reading
// numbers.
std::optional<uint8_t> classBeforeSpaces(const char16_t* text, int last) {
    for (int at = last; at > std::max(0, last - kLookBack); --at) {
        const SlotInfo* const info = infoOf(text[at]);
        if (!info || info->cls == SP || info->cls == CM || info->cls == BK) return std::nullopt;
        if (info->part == number::None) {
            const SlotInfo* const before = infoOf(text[at - 1]);
            if (!before || before->cls == BK) return std::nullopt;
            return infoOf(text[last])->cls;
        }
        if (info->part != number::Stop && info->part != number::Closing) return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

void LineBreaks::skipTo(int pos) {
    if (state_.numberPart != number::None) return;  // the number's end may still take back chances
    // A place after spaces to go on from is near; else the walk goes on.
    for (int restart = pos; restart > std::max(done_, pos - kLookBack); --restart) {
        if (text_[restart - 1] != u' ') continue;
        int last = restart - 1;
        while (last > std::max(0, pos - 2 * kLookBack) && text_[last] == u' ') --last;  // a space there: no place
        if (const auto cls = classBeforeSpaces(text_, last)) {
            gaps_.push_back({done_, restart, state_});
            lastGapEnd_ = restart;
            state_ = State{SP, *cls, number::None, false, 0};
            done_ = restart;
            return;
        }
        restart = last + 1;  // a place elsewhere in these spaces is no better
    }
}

}  // namespace korvex

#include "SimMeter.h"

#include "common/ByteOrder.h"
#include "config/RegisterMap.h"
#include "config/StandardConfig.h"
#include "link/Crc16.h"
#include "link/LineCodes.h"

#include <QStringList>
#include <cmath>

namespace k71t::sim {

namespace {
constexpr int MaxRead16 = 125;
constexpr int MaxRead32 = 63;  // 4n must fit the one-byte byte count
constexpr int MaxWrite16 = 123;
constexpr int MaxWrite32 = 61;
constexpr double Pi = 3.14159265358979323846;
// A local date and time as a plain reading, so the meter's clock runs
// evenly through the night the PC's clock changes.
QDateTime wallClock(const QDateTime &local)
{
    return QDateTime(local.date(), local.time(), Qt::UTC);
}

} // namespace

std::optional<Fault> faultFromName(const QString &name)
{
    static const QStringList names = {QStringLiteral("none"),      QStringLiteral("silence"),
                                      QStringLiteral("wrong-slave"), QStringLiteral("bad-crc"),
                                      QStringLiteral("exception"), QStringLiteral("truncated"),
                                      QStringLiteral("late"),      QStringLiteral("garbage"),
                                      QStringLiteral("byte-count")};
    const int i = names.indexOf(name);
    if (i < 0)
        return std::nullopt;
    return static_cast<Fault>(i);
}

InterfaceSettings settingsForCodes(int address, int speedCode, int modeCode)
{
    InterfaceSettings s;
    s.address = address;
    s.baud = k71t::baudForSpeedCode(speedCode) > 0 ? k71t::baudForSpeedCode(speedCode) : 9600;
    const int kind = k71t::modeKindForMeterCode(modeCode);
    s.stopBits = kind >= 0 ? k71t::ModeKinds[kind].stopBits : 1;
    s.parityBits = kind >= 0 && k71t::ModeKinds[kind].parity != k71t::Parity::None ? 1 : 0;
    s.speedCode = speedCode;
    s.modeCode = modeCode;
    return s;
}

void appendCrc(Bytes &frame)
{
    frame.resize(frame.size() + 2);
    put16be(frame.data() + frame.size() - 2, crc16(frame.data(), frame.size() - 2));
}

bool crcMatches(const Bytes &frame)
{
    if (frame.size() < 4)
        return false;
    return get16be(frame.data() + frame.size() - 2) == crc16(frame.data(), frame.size() - 2);
}

QString hex(const Bytes &bytes)
{
    QStringList parts;
    for (std::uint8_t b : bytes)
        parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(QLatin1Char(' '));
}

SimMeter::SimMeter(int address, int speedCode, int modeCode)
{
    loadStandardConfiguration(regs_);
    regs_.reg16(4033) = static_cast<std::uint16_t>(address);
    regs_.reg16(4035) = static_cast<std::uint16_t>(speedCode);
    regs_.reg16(4036) = static_cast<std::uint16_t>(modeCode);
    active_ = pcInterface();
    lastNow_ = QDateTime::currentDateTime();
    for (int r = 8000; r < 8100; ++r)
        regs_.reg32(r) = NoValue;
    nextMoment_ = QDateTime(QDate(2026, 1, 5), QTime(8, 0, 0));
    archiveChanged();
}

int SimMeter::requestLength(const std::uint8_t *buf, std::size_t have)
{
    if (have < 2)
        return 0;
    if (buf[1] == 3)
        return 8;
    if (buf[1] == 16)
        return have < 7 ? 0 : 9 + buf[6];
    return -1;
}

void SimMeter::setFault(const FaultPlan &plan)
{
    std::lock_guard lock(mutex_);
    plan_ = plan;
    requestsSincePlan_ = 0;
}

std::vector<Bytes> SimMeter::receivedFrames() const
{
    std::lock_guard lock(mutex_);
    return received_;
}

void SimMeter::clearReceived()
{
    std::lock_guard lock(mutex_);
    received_.clear();
}

std::uint16_t SimMeter::reg16(int reg) const
{
    std::lock_guard lock(mutex_);
    return RegisterImage::is16(reg) ? regs_.reg16(reg) : 0;
}

void SimMeter::setReg16(int reg, std::uint16_t value)
{
    std::lock_guard lock(mutex_);
    if (!RegisterImage::is16(reg))
        return;
    regs_.reg16(reg) = value;
    if (reg >= 4040 && reg <= 4042)
        clockWritten();
    if (reg == 4051 && ((value >> 7) & 1u) != static_cast<unsigned>(outputsBoard_))
        fitOutputsBoard((value >> 7) & 1u);
}

void SimMeter::setOutputsBoard(bool fitted)
{
    std::lock_guard lock(mutex_);
    fitOutputsBoard(fitted);
}

void SimMeter::fitOutputsBoard(bool fitted)
{
    const InterfaceSettings line = active_;
    outputsBoard_ = fitted;
    if (fitted)
        regs_.reg16(4051) |= 1u << 7;
    else
        regs_.reg16(4051) &= static_cast<std::uint16_t>(~(1u << 7));
    // The PC stays on its line: the other interface now has its settings.
    regs_.reg16(fitted ? 4031 : 4035) = static_cast<std::uint16_t>(line.speedCode);
    regs_.reg16(fitted ? 4032 : 4036) = static_cast<std::uint16_t>(line.modeCode);
}

bool SimMeter::outputsBoard() const
{
    std::lock_guard lock(mutex_);
    return outputsBoard_;
}

void SimMeter::setPcInterface(int speedCode, int modeCode)
{
    std::lock_guard lock(mutex_);
    regs_.reg16(outputsBoard_ ? 4031 : 4035) = static_cast<std::uint16_t>(speedCode);
    regs_.reg16(outputsBoard_ ? 4032 : 4036) = static_cast<std::uint16_t>(modeCode);
    active_ = pcInterface();
}

void SimMeter::setRefuseApply(bool refuse)
{
    std::lock_guard lock(mutex_);
    refuseApply_ = refuse;
}

void SimMeter::setClock(const QDateTime &at)
{
    std::lock_guard lock(mutex_);
    clockOffsetMs_ = wallClock(lastNow_).msecsTo(
        QDateTime(at.date(), QTime(at.time().hour(), at.time().minute()), Qt::UTC));
    clockRunning_ = true;
    tickClock();
}

InterfaceSettings SimMeter::pcInterface() const
{
    return settingsForCodes(regs_.reg16(4033), regs_.reg16(outputsBoard_ ? 4031 : 4035),
                            regs_.reg16(outputsBoard_ ? 4032 : 4036));
}

void SimMeter::clockWritten()
{
    const int hm = regs_.reg16(4040), md = regs_.reg16(4041);
    const QDate date(regs_.reg16(4042), md / 100, md % 100);
    const QTime time(hm / 100, hm % 100);
    clockRunning_ = date.isValid() && time.isValid();
    if (clockRunning_)
        clockOffsetMs_ = wallClock(lastNow_).msecsTo(QDateTime(date, time, Qt::UTC));
}

void SimMeter::tickClock()
{
    if (!clockRunning_)
        return;
    const QDateTime shown = wallClock(lastNow_).addMSecs(clockOffsetMs_);
    const QDate date = shown.date();
    const QTime time = shown.time();
    regs_.reg16(4040) = static_cast<std::uint16_t>(time.hour() * 100 + time.minute());
    regs_.reg16(4041) = static_cast<std::uint16_t>(date.month() * 100 + date.day());
    regs_.reg16(4042) = static_cast<std::uint16_t>(date.year());
}

float SimMeter::reg32(int reg) const
{
    std::lock_guard lock(mutex_);
    return RegisterImage::is32(reg) ? regs_.reg32(reg) : 0.0f;
}

void SimMeter::setReg32(int reg, float value)
{
    std::lock_guard lock(mutex_);
    if (RegisterImage::is32(reg))
        regs_.reg32(reg) = value;
}

InterfaceSettings SimMeter::interfaceSettings() const
{
    std::lock_guard lock(mutex_);
    return active_;
}

void SimMeter::setAddress(int address)
{
    std::lock_guard lock(mutex_);
    active_.address = address;
    regs_.reg16(4033) = static_cast<std::uint16_t>(address);
}

Bytes SimMeter::exception(std::uint8_t function, std::uint8_t code) const
{
    Bytes reply{static_cast<std::uint8_t>(active_.address), static_cast<std::uint8_t>(function | 0x80), code};
    appendCrc(reply);
    return reply;
}

SimMeter::Reply SimMeter::handle(const Bytes &frame)
{
    std::lock_guard lock(mutex_);
    // A meter polled for days keeps only its recent frames: the oldest half
    // goes once the list is full.
    if (received_.size() >= MaxReceivedFrames)
        received_.erase(received_.begin(), received_.begin() + MaxReceivedFrames / 2);
    received_.push_back(frame);
    if (frame.size() < 4 || !crcMatches(frame) || frame[0] != active_.address)
        return {};
    const bool counted = (plan_.onlyStart < 0 || get16be(frame.data() + 2) == plan_.onlyStart) &&
                         (plan_.onlyFunction == 0 || frame[1] == plan_.onlyFunction);
    if (counted)
        ++requestsSincePlan_;
    const bool faulty =
        counted && plan_.fault != Fault::None &&
        (plan_.nth == 0 || plan_.nth == requestsSincePlan_ || (plan_.onwards && requestsSincePlan_ > plan_.nth));
    const Fault fault = faulty ? plan_.fault : Fault::None;
    if (fault == Fault::Silence)
        return {};
    if (frame[1] == 3 && get16be(frame.data() + 2) == 4501 && failPageTimes_ > 0 &&
        regs_.reg16(4500) == failPage_) {
        --failPageTimes_;
        return {};
    }
    if (fault == Fault::Exception)
        return {exception(frame[1], static_cast<std::uint8_t>(plan_.exceptionCode)), 0};

    Reply reply = answer(frame);
    Bytes &b = reply.bytes;
    switch (fault) {
    case Fault::WrongSlave:
        b.resize(b.size() - 2);
        b[0] = static_cast<std::uint8_t>(b[0] + 1);
        appendCrc(b);
        break;
    case Fault::BadCrc: b.back() ^= 0xFF; break;
    case Fault::Truncated: b.resize(b.size() > 3 ? b.size() - 3 : 1); break;
    case Fault::Late: reply.delayMs = plan_.lateMs; break;
    case Fault::Garbage: b.insert(b.end(), {0x55, 0xAA, 0x00}); break;
    case Fault::ByteCount:
        b.resize(b.size() - 2);
        if (b[1] == 3)
            b[2] = 0;
        else if (b[1] == 16)
            b[5] = static_cast<std::uint8_t>(b[5] + 1);
        appendCrc(b);
        break;
    default: break;
    }
    return reply;
}

SimMeter::Reply SimMeter::answer(const Bytes &frame)
{
    const std::uint8_t function = frame[1];
    if (function != 3 && function != 16)
        return {exception(function, 1), 0};
    // A frame too short for its function's fields (a read's eight bytes, a
    // write's nine and its data) is not a request the meter can read.
    if (frame.size() < 8 || (function == 16 && (frame.size() < 9 || frame.size() < 9u + frame[6])))
        return {};
    const int start = get16be(frame.data() + 2);
    const int n = get16be(frame.data() + 4);
    if (function == 3) {
        const bool in16 = RegisterImage::is16(start);
        const bool in32 = RegisterImage::is32(start);
        if (n < 1 || n > (in32 ? MaxRead32 : MaxRead16))
            return {exception(3, 3), 0};
        if (!(in16 && RegisterImage::is16(start + n - 1)) && !(in32 && RegisterImage::is32(start + n - 1)))
            return {exception(3, 2), 0};
        if (in16 && start + n - 1 >= 4501 && start <= 4764)
            loadPageWindow();
        Bytes reply{frame[0], 3, static_cast<std::uint8_t>(in16 ? 2 * n : 4 * n)};
        for (int i = 0; i < n; ++i) {
            const std::size_t at = reply.size();
            if (in16) {
                reply.resize(at + 2);
                put16be(reply.data() + at, regs_.reg16(start + i));
            } else {
                reply.resize(at + 4);
                put32be(reply.data() + at, regs_.bits32(start - Regs32First + i));
            }
        }
        appendCrc(reply);
        if (start == 4046 && growSkip_ > 0) {
            --growSkip_;
        } else if (start == 4046 && growReads_ > 0) {
            --growReads_;
            generateRecords(growRecords_);
            archiveChanged();
        }
        return {reply, 0};
    }
    if (function == 16) {
        const bool in16 = RegisterImage::is16(start);
        const bool in32 = RegisterImage::is32(start);
        const int byteCount = frame[6];
        if (n < 1 || n > (in32 ? MaxWrite32 : MaxWrite16) || byteCount != (in32 ? 4 * n : 2 * n))
            return {exception(16, 3), 0};
        if (!(in16 && RegisterImage::is16(start + n - 1)) && !(in32 && RegisterImage::is32(start + n - 1)))
            return {exception(16, 2), 0};
        if (refuseApply_ && in16 && start <= 4034 && start + n - 1 >= 4034 &&
            get16be(frame.data() + 7 + 2 * (4034 - start)) == 1)
            return {exception(16, 4), 0};
        regs_.storeReply(start, frame.data() + 7, byteCount);
        if (in16 && start <= 4042 && start + n - 1 >= 4040)
            clockWritten();
        // A new device table makes the archived records meaningless: the
        // meter clears its archive (the program warns of it before a write).
        if (in16 && start <= 4379 && start + n - 1 >= 4300) {
            archive_.clear();
            archiveChanged();
        }
        if (outputsBoard_)
            regs_.reg16(4051) |= 1u << 7;
        runCommands();
        Bytes reply(frame.begin(), frame.begin() + 6);
        appendCrc(reply);
        return {reply, 0};
    }
    return {};
}

void SimMeter::runCommands()
{
    if (regs_.reg16(4034) == 1) { // apply interface parameters
        // The acknowledge still goes out at the old settings (the line takes
        // them when it sends); the next request must come at the new ones.
        regs_.reg16(4034) = 0;
        active_ = pcInterface();
    }
    if (regs_.reg16(4038) == 1) { // factory settings
        // The configuration becomes the standard one; the card mode, the
        // access code, the clock and the state registers stay. The archive
        // is cleared. The interface changes at the next apply.
        RegisterImage kept = regs_;
        loadStandardConfiguration(regs_);
        // 4043, the automatic time change, is part of the standard
        // configuration (1), not of the clock.
        for (int r : {4005, 4039, 4040, 4041, 4042, 4050, 4051, 4052, 4053, 4054})
            regs_.reg16(r) = kept.reg16(r);
        regs_.reg16(4038) = 0;
        regs_.reg16(4051) |= 1u << 10;
        archive_.clear();
        minMaxValid_ = false;
        archiveChanged();
    }
    if (regs_.reg16(4055) == 1) { // clear minimum and maximum
        regs_.reg16(4055) = 0;
        minMaxValid_ = false;
    }
    if (regs_.reg16(4045) == 1) { // delete the archive
        regs_.reg16(4045) = 0;
        lastDeleted_ = archive_.records();
        ++deletions_;
        archive_.clear();
        archiveChanged();
    }
}

void SimMeter::tick(const QDateTime &now)
{
    std::lock_guard lock(mutex_);
    const double t = now.toMSecsSinceEpoch() / 1000.0;
    const float shown = static_cast<float>(50.0 + 30.0 * std::sin(2 * Pi * t / 60.0));
    regs_.reg32(7505) = shown;
    if (!minMaxValid_) {
        min_ = max_ = shown;
        minMaxValid_ = true;
    }
    min_ = std::min(min_, shown);
    max_ = std::max(max_, shown);
    regs_.reg32(7503) = min_;
    regs_.reg32(7504) = max_;
    const float low = regs_.reg32(7612), high = regs_.reg32(7613);
    const float level = high != low ? (shown - low) / (high - low) * 100.0f : 0.0f;
    regs_.reg32(7502) = std::clamp(level, 0.0f, 100.0f);
    // A device polled and answering has a quality of 85 .. 100 %; one that
    // does not answer (its bit in 4050) a low one and no values.
    const std::uint16_t silent = regs_.reg16(4050);
    for (int d = 0; d < 10; ++d) {
        const bool polled = regs_.reg16(4300 + 8 * d) != 0;
        const bool answers = polled && !((silent >> d) & 1u);
        const int count = std::clamp<int>(regs_.reg16(4302 + 8 * d), 0, 10);
        const double wave = std::abs(std::sin(2 * Pi * (t + 7 * d) / 300.0));
        regs_.reg32(7520 + d) = !polled ? 0.0f : answers ? static_cast<float>(85.0 + 15.0 * wave)
                                                         : static_cast<float>(30.0 * wave);
        for (int r = 0; r < 10; ++r)
            regs_.reg32(8000 + 10 * d + r) =
                answers && r < count ? static_cast<float>(10 * d + r + 5.0 * std::sin(2 * Pi * (t + d + r) / 120.0))
                                     : NoValue;
    }
    for (const auto &[reg, value] : pinned_)
        regs_.reg32(reg) = value;
    lastNow_ = now;
    tickClock();
}

void SimMeter::pin(int reg, float value)
{
    std::lock_guard lock(mutex_);
    if (!RegisterImage::is32(reg))
        return;
    pinned_[reg] = value;
    regs_.reg32(reg) = value;
}

} // namespace k71t::sim

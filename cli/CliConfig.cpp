// k71t-cli config: the whole configuration between the meter and a file.
#include "CliParts.h"

#include "config/RegisterMap.h"

#include "config/BulkTransfer.h"
#include "config/ConfigFile.h"
#include "config/StandardConfig.h"
#include "link/MeterLink.h"

namespace k71t
{

namespace
{

QString portText(const PortSettings &settings, int address)
{
    return QStringLiteral("%1 %2, adres %3")
        .arg(SpeedTable[settings.speedIndex % SpeedIndexCount])
        .arg(modeKindName(settings.modeKind % ModeKindCount))
        .arg(address);
}

} // namespace

int runConfig(const Options &o, QString &out, QString &err, const CliLineSink &progress)
{
    const QString syntax = QStringLiteral("config read PLIK.k71t | config write PLIK.k71t --yes");
    QStringList words = o.command.mid(1);
    const bool yes = words.removeAll(QStringLiteral("--yes")) > 0;
    if (words.size() != 2 || !QStringList{"read", "write"}.contains(words.at(0)))
        return usage(err, syntax);
    const bool reading = words.at(0) == QLatin1String("read");
    const QString file = words.at(1);
    if (reading && yes)
        return usage(err, syntax);
    if (!reading && !yes)
        return usage(err, QStringLiteral("zapis konfiguracji usuwa dane archiwalne z pamięci wewnętrznej K71T; "
                                         "dodaj --yes, aby kontynuować"));

    MeterLink link;
    loadStandardConfiguration(link.image);
    if (!reading) {
        // Nothing reaches the meter unless the whole file is a configuration.
        switch (loadConfigFile(file, link.image)) {
        case ConfigLoad::Loaded: break;
        case ConfigLoad::Missing: err += QStringLiteral("k71t-cli: brak pliku %1\n").arg(file); return CliMeterFailed;
        case ConfigLoad::Invalid:
            err += QStringLiteral("k71t-cli: %1 nie jest plikiem konfiguracyjnym K71T (650 bajtów, \"K71T-001\")\n")
                       .arg(file);
            return CliMeterFailed;
        }
        // The meter keeps the address it is reached at: a configuration
        // cloned from another meter on the same line must not take its address.
        link.image.reg16(4033) = static_cast<std::uint16_t>(o.address);
    }
    BulkTransfer transfer(link);
    const BulkTransfer::Direction direction = reading ? BulkTransfer::Direction::Read : BulkTransfer::Direction::Write;
    if (transfer.refusal(direction) == BulkTransfer::Refusal::InterfaceSettings) {
        const RegisterImage &im = link.image;
        err += QStringLiteral("k71t-cli: %1: parametry interfejsów, których K71T nie przyjmie "
                              "(4031=%2, 4032=%3, 4035=%4, 4036=%5); nic nie zostało wysłane\n")
                   .arg(file, QString::number(im.reg16(4031)), QString::number(im.reg16(4032)),
                        QString::number(im.reg16(4035)), QString::number(im.reg16(4036)));
        return CliMeterFailed;
    }
    // Nor a value the interface or the devices page would refuse (a device
    // answer time of 0 ms, an eleventh polled register).
    if (!reading) {
        for (const Owner page : {Owner::Interface, Owner::Devices}) {
            if (const RegisterInfo *bad = firstOutOfRange(link.image, page)) {
                const double v = bad->kind == RegKind::U16 ? link.image.reg16(bad->address)
                                                           : static_cast<double>(link.image.reg32(bad->address));
                err += QStringLiteral("k71t-cli: %1: rejestr %2 ma wartość %3 spoza zakresu %4..%5, której K71T nie "
                                      "przyjmie; nic nie zostało wysłane\n")
                           .arg(file)
                           .arg(bad->address)
                           .arg(v)
                           .arg(bad->low)
                           .arg(bad->high);
                return CliMeterFailed;
            }
        }
    }
    if (!openLink(o, link, err))
        return CliMeterFailed;
    const PortSettings before = link.portSettings;
    transfer.start(direction);
    BulkTransfer::Tick tick = BulkTransfer::Tick::Continue;
    int shown = -1, failedStep = 0;
    while (tick == BulkTransfer::Tick::Continue) {
        failedStep = reading ? transfer.readStep() : transfer.writeStep();
        tick = transfer.tick();
        if (progress && transfer.progress() != shown) {
            shown = transfer.progress();
            progress(QStringLiteral("\rTransmisja danych... %1/%2").arg(shown).arg(BulkProgressTotal));
        }
    }
    if (progress)
        progress(QStringLiteral("\n"));
    const bool moved = before.speedIndex != link.portSettings.speedIndex ||
                       before.modeKind != link.portSettings.modeKind || o.address != link.meterAddress;
    const QString movedText =
        QStringLiteral("Nowe parametry portu: %1\n").arg(portText(link.portSettings, link.meterAddress));
    if (tick == BulkTransfer::Tick::Failed) {
        err += QStringLiteral("k71t-cli: %1 (krok %2)\n")
                   .arg(BulkTransfer::failureText(transfer.direction()))
                   .arg(failedStep);
        // Where the PC ended up after an interface change that went wrong.
        if (moved)
            err += QStringLiteral("k71t-cli: ") + movedText;
        return CliMeterFailed;
    }
    if (!reading) {
        out += QStringLiteral("Zapisano konfigurację z pliku %1 do K71T\n").arg(file);
        if (moved)
            out += movedText;
        return CliOk;
    }
    QString error;
    const QString written = saveConfigFile(file, link.image, &error);
    if (written.isEmpty()) {
        err += QStringLiteral("k71t-cli: nie można zapisać %1: %2\n").arg(configFileName(file), error);
        return CliMeterFailed;
    }
    out += QStringLiteral("Zapisano konfigurację K71T do pliku %1\n").arg(written);
    return CliOk;
}

} // namespace k71t

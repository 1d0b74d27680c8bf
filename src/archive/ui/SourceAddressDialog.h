#pragma once
// The prompt for the meter address archive data came from, asked when
// archive files are loaded into the chart.
#include "context/AppContext.h"

#include <QDialog>
#include <cstdint>

class QLineEdit;
class QPushButton;

namespace k71t {

class SourceAddressDialog : public QDialog {
    Q_OBJECT
public:
    explicit SourceAddressDialog(AppContext &context, QWidget *parent = nullptr);

    // The address given, or 0x8000 (-32768) when no valid address was given.
    std::int16_t sourceAddress = 1;
    static constexpr std::int16_t NoAddress = static_cast<std::int16_t>(0x8000);

    QLineEdit *addressEdit = nullptr;
    QPushButton *okButton = nullptr;

public slots:
    void onOkClicked();

protected:
    void reject() override {} // no close box: only "OK" closes the prompt

private:
    AppContext &ctx_;
};

} // namespace k71t

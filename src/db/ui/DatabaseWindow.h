#pragma once
// The database settings window: the support switch, the connection
// parameters with the connection test and the table's creation, and the
// import of .dat files. It lives for the whole run; its check box is the
// database support switch every other window consults.
#include "context/AppContext.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace k71t {

class DatabaseWindow : public QDialog {
    Q_OBJECT
public:
    explicit DatabaseWindow(AppContext &context, QWidget *parent = nullptr);
    ~DatabaseWindow() override;

    // The settings file: AppDirectory/sql.conf.
    QString settingsPath() const;
    void SettingsToWindow();
    // Takes the fields into the context's settings; false (after telling the
    // operator why) for a port that is not a number, a refused database or
    // table name or a field the file cannot hold. The fields before the
    // faulty one are taken, the rest are not.
    bool WindowToSettings();

    QCheckBox *CheckBox2 = nullptr; // database support on
    QGroupBox *GroupBox1 = nullptr; // the connection parameters
    QLineEdit *Edit1 = nullptr;     // server
    QLineEdit *Edit2 = nullptr;     // port
    QLineEdit *Edit3 = nullptr;     // database
    QLineEdit *Edit4 = nullptr;     // table
    QLineEdit *Edit5 = nullptr;     // user
    QLineEdit *Edit6 = nullptr;     // password
    QCheckBox *CheckBox1 = nullptr; // compression
    QPushButton *SpeedButton1 = nullptr; // create the table
    QPushButton *SpeedButton2 = nullptr; // test the connection
    QLineEdit *Edit7 = nullptr;     // address of the imported data
    QPushButton *SpeedButton3 = nullptr; // import a file
    QLabel *Label9 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;

    static QString datFilter() { return QStringLiteral("wszystkie pliki (*.*)|*.*"); }

public slots:
    void CheckBox2Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();

protected:
    void done(int result) override;

private:
    void FormCreate();
    void FormClose();
    void error(const QString &text);

    AppContext &ctx_;
};

} // namespace k71t

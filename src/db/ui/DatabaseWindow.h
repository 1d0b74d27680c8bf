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

    // The settings file: appDirectory/sql.conf.
    QString settingsPath() const;
    void showSettings();
    // Takes the fields into the context's settings; false (after telling the
    // operator why) for a port that is not a number, a refused database or
    // table name or a field the file cannot hold. The fields before the
    // faulty one are taken, the rest are not.
    bool takeSettings();

    QCheckBox *supportCheck = nullptr;           // database support on
    QGroupBox *connectionGroup = nullptr;        // the connection parameters
    QLineEdit *serverEdit = nullptr;             // server
    QLineEdit *portEdit = nullptr;               // port
    QLineEdit *databaseEdit = nullptr;           // database
    QLineEdit *tableEdit = nullptr;              // table
    QLineEdit *userEdit = nullptr;               // user
    QLineEdit *passwordEdit = nullptr;           // password
    QCheckBox *compressionCheck = nullptr;       // compression
    QPushButton *createTableButton = nullptr;    // create the table
    QPushButton *testConnectionButton = nullptr; // test the connection
    QLineEdit *importAddressEdit = nullptr;      // address of the imported data
    QPushButton *importButton = nullptr;         // import a file
    QLabel *importLabel = nullptr;
    QProgressBar *importProgress = nullptr;
    QStatusBar *statusBar = nullptr;

    static QString datFilter() { return QStringLiteral("wszystkie pliki (*.*)|*.*"); }

public slots:
    void onSupportToggled();
    void onCreateTableClicked();
    void onTestConnectionClicked();
    void onImportClicked();

    void reject() override;

protected:
    void done(int result) override;

private:
    // The connection parameters with the table's creation and the test.
    void buildConnectionGroup();
    // The address of the imported data, the file button, the progress.
    QGroupBox *buildImportGroup();
    // sql.conf into the context's settings and the window.
    void loadSettings();
    // The window's settings into sql.conf.
    void saveSettings();

    // While the database worker runs the window's work, its controls wait.
    void setWorking(bool working);

    AppContext &ctx_;
    bool working_ = false;
};

} // namespace k71t

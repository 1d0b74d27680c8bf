#include "support/AppHarness.h"

#include <QApplication>
#include <QTest>

namespace k71t::test {

void ensureApplication()
{
    static int argc = 1;
    static char arg0[] = "k71t-test";
    static char *argv[] = {arg0, nullptr};
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

AppHarness::AppHarness()
{
    ensureApplication();
}

AppHarness::~AppHarness()
{
    informacje.reset();
    form12.reset();
    form5.reset();
    form1.reset();
    form3.reset();
}

void AppHarness::start()
{
    ctx = std::make_unique<AppContext>(dir.path(), prompt, clock);
    ctx->link.settleMs = 0;
    form3 = std::make_unique<TForm3>(*ctx, windows);
    windows.form3 = form3.get();
    form1 = std::make_unique<TForm1>(*ctx);
    windows.form1 = form1.get();
    form5 = std::make_unique<TForm5>(*ctx);
    windows.form5 = form5.get();
    form12 = std::make_unique<TForm12>(*ctx);
    windows.form12 = form12.get();
    informacje = std::make_unique<TInformacje>();
    windows.informacje = informacje.get();
}

void AppHarness::startWithMeter(const QString &com3Path)
{
    start();
    ctx->portMap.setPath(2, com3Path);
    prompt.messages.clear();
}

void AppHarness::runStartTimer()
{
    QTest::qWait(250);
}

} // namespace k71t::test

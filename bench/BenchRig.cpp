#include "BenchRig.h"

#include <QApplication>
#include <filesystem>
#include <fstream>

#include "app/Appearance.h"
#include "families/Messages.h"
#include "sim/SimProfiles.h"

namespace zandro::bench {

void ensureApplication() {
    if (QApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "zandro-bench";
    static char* argv[] = {name, nullptr};
    auto* app = new QApplication(argc, argv);  // lives until exit
    applyAppearance(*app);
    Messages::setHeadless(false);
}

WindowRig::WindowRig(const char* profile, const QString& journal)
    : machine(*makeSimMachine(profile)), platform(machine), msr(platform) {
    ensureApplication();
    const std::string folder = std::string("/tmp/zandro-bench-") + profile;
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/config.ini") << "[MainWindow]\nPositionLeft=0\nPositionTop=0\n";
    window = std::make_unique<TfrmMSR>(
        platform, msr,
        TfrmMSR::Startup{{}, QString::fromStdString(folder + "/zandro"), QString(), journal});
}

}  // namespace zandro::bench

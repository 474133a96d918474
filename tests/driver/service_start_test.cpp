// Starting and installing the driver's service against the emulated manager:
// the boxes, the standard-output lines, the result and what is left behind.
#include <filesystem>
#include <fstream>
#include <optional>

#include "automation/services.h"
#include "support/fixture.h"

namespace {

namespace fs = std::filesystem;
namespace svc = platform::services;

constexpr const char* kInstalling = "The PortDriver driver does not exist. Installing driver.";
constexpr const char* kManualCopy = "Please manually copy driver to your system32/driver directory.";
constexpr const char* kNoFile = "Does PortTalk.SYS exist in your \\System32\\Drivers Directory?";
constexpr const char* kNotStarted = "The PortDriver driver could not be started.";
constexpr const char* kInstalled = "PortDriver: Driver successfully installed.\n";
constexpr const char* kUnknown = "PortDriver: Unknown error while creating Service.\n";

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Each test runs in a folder of its own, which is the current directory and
// holds the emulated system folder.
class DriverServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::testing::ClearUser();
        platform::testing::ClearBoxes();
        home = fs::current_path();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        Enter(std::string(info->test_suite_name()) + "-" + info->name());
        test::InstallPort(std::make_unique<test::FakePort>());
    }
    void TearDown() override {
        fs::current_path(home);
        svc::Reset();
        test::InstallPort(nullptr);
        EXPECT_TRUE(platform::testing::Failures().empty());
    }

    // A fresh working folder, for one case of a table.
    void Enter(const std::string& name) {
        fs::current_path(home);
        work = test::FreshDir(name);
        fs::current_path(work);
        drivers = work / "system32" / "Drivers";
    }
    // The state --driver-service names, changed by `edit`, with the test's system folder.
    template <typename Edit = void (*)(svc::State&)>
    void Configure(
        const char* name, Edit edit = [](svc::State&) {}) {
        std::optional<svc::State> state = automation::ServiceState(name);
        ASSERT_TRUE(state) << name;
        edit(*state);
        state->systemFolder = (work / "system32").string();
        svc::Reset(*state);
        platform::testing::ClearBoxes();
    }
    void PlaceInstalledDriver(const std::string& text = "installed driver") {
        fs::create_directories(drivers);
        WriteFile(drivers / "PortTalk.sys", text);
    }

    struct Outcome {
        bool result;
        std::vector<std::string> boxes;
        std::string out;
    };
    Outcome Start() {
        auto dlg = std::make_unique<CPyrelleDlg>();
        ::testing::internal::CaptureStdout();
        bool result = dlg->StartPortDriver();
        std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(dlg->m_hService, nullptr) << "the service handle is released";
        EXPECT_EQ(svc::OpenHandleCount(), 0) << "every manager and service handle is closed";
        return Outcome{result, platform::testing::Boxes(), out};
    }

    fs::path home, work, drivers;
};

using Boxes = std::vector<std::string>;

// The refusals and the plain starts: the service is there (or cannot be
// reached) and nothing is installed.
TEST_F(DriverServiceTest, StartsOrRefusesAnInstalledService) {
    struct Case {
        const char* name;
        const char* state;
        Boxes boxes;
        bool result;
        bool runsAfter;
        int serviceOpens;
        DWORD managerError = 0;
    };
    const Case cases[] = {
        {"stopped", "stopped", {}, true, true, 1},
        {"running", "running", {"The Port driver is already running."}, true, true, 1},
        {"no-manager-rights",
         "no-manager-rights",
         {"You do not have rights to access the Service Control Manager."},
         false,
         false,
         0},
        {"no-service-rights",
         "no-service-rights",
         {"You do not have rights to the PortDriver service."},
         false,
         false,
         1},
        {"invalid-name", "invalid-name", {"The specified service name is invalid."}, false, false, 1},
        // Errors it does not name are retried a few times, then reported once.
        {"failing", "failing", {kNotStarted}, false, false, 3},
        {"no-manager", "stopped", {kNotStarted}, false, false, 3, ERROR_DATABASE_DOES_NOT_EXIST},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Enter(std::string("installed-") + c.name);
        PlaceInstalledDriver();
        WriteFile("PortTalk.sys", "new driver");
        Configure(c.state, [&c](svc::State& st) { st.managerError = c.managerError; });
        Outcome o = Start();
        EXPECT_EQ(o.result, c.result);
        EXPECT_EQ(o.boxes, c.boxes);
        EXPECT_EQ(o.out, "") << "no installation, no line";
        EXPECT_EQ(svc::Current().running, c.runsAfter);
        EXPECT_EQ(svc::CallCounts().openService, c.serviceOpens);
        EXPECT_EQ(svc::CallCounts().createService, 0);
        EXPECT_EQ(test::ReadFile((drivers / "PortTalk.sys").string()), "installed driver")
            << "nothing copied";
    }
}

TEST_F(DriverServiceTest, InstallsAMissingServiceOverAnOldFileAndStartsIt) {
    PlaceInstalledDriver("old driver");
    WriteFile("PortTalk.sys", "new driver");
    Configure("missing", [](svc::State& st) { st.binaryPath.clear(); });

    Outcome o = Start();
    EXPECT_TRUE(o.result);
    EXPECT_EQ(o.boxes, Boxes{kInstalling});
    EXPECT_EQ(o.out, kInstalled);
    EXPECT_EQ(test::ReadFile((drivers / "PortTalk.sys").string()), "new driver");

    const svc::State& s = svc::Current();
    EXPECT_TRUE(s.exists && s.running);
    EXPECT_EQ(s.displayName, "PortTalk");
    EXPECT_EQ(s.binaryPath, "System32\\Drivers\\PortTalk.sys");
    EXPECT_EQ(s.serviceType, SERVICE_KERNEL_DRIVER);
    EXPECT_EQ(s.startType, SERVICE_DEMAND_START);
    EXPECT_EQ(s.errorControl, SERVICE_ERROR_NORMAL);
    EXPECT_EQ(svc::CallCounts().openService, 2);
    EXPECT_EQ(svc::CallCounts().startService, 1);
}

// Windows paths: the driver file is found whatever the case of its name.
TEST_F(DriverServiceTest, TheDriverFileIsFoundWhateverTheCaseOfItsName) {
    WriteFile("PORTTALK.SYS", "new driver");
    Configure("missing");
    Outcome o = Start();
    EXPECT_TRUE(o.result);
    EXPECT_EQ(o.boxes, Boxes{kInstalling});
    EXPECT_TRUE(svc::Current().running);
    ASSERT_EQ(std::distance(fs::directory_iterator(drivers), fs::directory_iterator()), 1);
    EXPECT_EQ(test::ReadFile(fs::directory_iterator(drivers)->path().string()), "new driver");
}

TEST_F(DriverServiceTest, WithoutAnyDriverFileTheServiceIsCreatedButDoesNotStart) {
    Configure("missing");

    Outcome o = Start();
    EXPECT_FALSE(o.result);
    EXPECT_EQ(o.boxes, (Boxes{kInstalling, kManualCopy, kNoFile}));
    EXPECT_EQ(o.out, kInstalled);
    EXPECT_TRUE(svc::Current().exists);
    EXPECT_FALSE(svc::Current().running);
    EXPECT_FALSE(fs::exists(drivers / "PortTalk.sys"));
}

// The file left in the drivers folder by an earlier installation still serves.
TEST_F(DriverServiceTest, AFailedCopyStillStartsFromTheInstalledFile) {
    PlaceInstalledDriver();
    Configure("missing");

    Outcome o = Start();
    EXPECT_TRUE(o.result);
    EXPECT_EQ(o.boxes, (Boxes{kInstalling, kManualCopy}));
    EXPECT_EQ(o.out, kInstalled);
}

TEST_F(DriverServiceTest, AServiceThatCannotBeCreatedIsInstalledAFewTimesThenReported) {
    WriteFile("PortTalk.sys", "new driver");
    Configure("missing", [](svc::State& st) { st.createServiceError = ERROR_ACCESS_DENIED; });

    Outcome o = Start();
    EXPECT_FALSE(o.result);
    EXPECT_EQ(o.boxes, (Boxes{kInstalling, kInstalling, kNotStarted}));
    EXPECT_EQ(o.out, std::string(kUnknown) + kUnknown);
    EXPECT_EQ(svc::CallCounts().createService, 2);
    EXPECT_EQ(svc::CallCounts().startService, 0);
}

// GetSystemDirectoryA is asked with 55 characters: a directory of 54 fits, a
// longer one (or a failed call) skips the copy after the box and never copies
// to a cut-off path.
TEST_F(DriverServiceTest, SystemDirectoryThatDoesNotFitSkipsTheCopy) {
    struct Case {
        const char* name;
        std::string directory;
        bool copied;
    };
    auto directory = [](std::size_t length) { return "C:\\" + std::string(length - 12, 'w') + "\\system32"; };
    const Case cases[] = {
        {"fits", directory(54), true},
        {"one-too-long", directory(55), false},
        {"far-too-long", directory(300), false},
        {"call-fails", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Enter(std::string("sysdir-") + c.name);
        WriteFile("PortTalk.sys", "new driver");
        Configure("missing", [&c](svc::State& st) { st.systemDirectory = c.directory; });

        Outcome o = Start();
        EXPECT_EQ(o.result, c.copied);
        EXPECT_EQ(o.boxes, (c.copied ? Boxes{kInstalling} : Boxes{kInstalling, kManualCopy, kNoFile}));
        EXPECT_EQ(o.out, kInstalled) << "the service is created either way";
        EXPECT_EQ(svc::CallCounts().copyFile, c.copied ? 1 : 0);
        EXPECT_EQ(fs::exists(drivers / "PortTalk.sys"), c.copied);
        // Nothing but the drivers folder may appear in the system folder.
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(work / "system32", ec); it != fs::end(it); ++it) {
            EXPECT_TRUE(it->path() == drivers || it->path() == drivers / "PortTalk.sys") << it->path();
        }
    }
}

TEST_F(DriverServiceTest, InstallingOverAnExistingServiceTakesNoAction) {
    PlaceInstalledDriver("old driver");
    WriteFile("PortTalk.sys", "new driver");
    Configure("stopped");
    auto dlg = std::make_unique<CPyrelleDlg>();
    ::testing::internal::CaptureStdout();
    dlg->InstallPortDriver();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "PortDriver: Driver already exists. No action taken.\n");
    EXPECT_TRUE(platform::testing::Boxes().empty());
    EXPECT_EQ(test::ReadFile((drivers / "PortTalk.sys").string()), "new driver")
        << "the file is still copied";
    EXPECT_EQ(svc::OpenHandleCount(), 0);
}

// The whole start-up path: the device opens once the service has been started.
TEST_F(DriverServiceTest, OpenPortDriverOpensTheDeviceOnlyOnceTheServiceRuns) {
    const std::string noAccess =
        "PortDriver: Couldn't access PortDriver Driver, Please ensure driver is loaded.\n\n";
    struct Case {
        const char* name;
        const char* state;
        bool sourceFile;
        bool opens;
        std::string out;
    };
    const Case cases[] = {
        {"running", "running", false, true, ""},
        {"stopped", "stopped", false, true, ""},
        {"missing", "missing", true, true, kInstalled},
        {"missing-no-file", "missing", false, false, kInstalled + noAccess},
        {"no-service-rights", "no-service-rights", false, false, noAccess},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Enter(std::string("open-") + c.name);
        if (c.sourceFile) WriteFile("PortTalk.sys", "new driver");
        Configure(c.state);
        if (svc::Current().exists) PlaceInstalledDriver();
        auto dlg = std::make_unique<CPyrelleDlg>();
        ::testing::internal::CaptureStdout();
        dlg->OpenPortDriver();
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.out);
        EXPECT_EQ(dlg->m_hDevice != INVALID_HANDLE_VALUE, c.opens);
        EXPECT_EQ(svc::Current().running, c.opens);
        EXPECT_EQ(svc::OpenHandleCount(), 0);
        CloseHandle(dlg->m_hDevice);
    }
}

}  // namespace

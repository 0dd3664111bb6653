// The window program started where it cannot show a window.
#include <gtest/gtest.h>

#include <QProcess>
#include <map>
#include <string>

#include "backends/qt/display.h"

namespace veltrane {
namespace {

// clang-format off
struct EnvironmentCase { const char* platform; const char* display; const char* wayland; bool expected; };
constexpr EnvironmentCase environment_cases[] = {
    {nullptr,     nullptr, nullptr,     false},
    {"",          "",      "",          false},
    {nullptr,     ":0",    nullptr,     true},
    {nullptr,     nullptr, "wayland-0", true},
    {"offscreen", nullptr, nullptr,     true},   // asked for by name, it needs no display
    {"",          ":1",    "",          true},
};
// clang-format on

TEST(Display, IsExpectedFromANamedPlatformOrADisplayVariable) {
  for (const EnvironmentCase& c : environment_cases) {
    const std::map<std::string, const char*> variables = {
        {"QT_QPA_PLATFORM", c.platform}, {"DISPLAY", c.display}, {"WAYLAND_DISPLAY", c.wayland}};
    const auto read = [&variables](const char* name) {
      const auto found = variables.find(name);
      return found == variables.end() ? nullptr : found->second;
    };
    EXPECT_EQ(display_expected(read), c.expected)
        << (c.platform ? c.platform : "-") << " " << (c.display ? c.display : "-") << " "
        << (c.wayland ? c.wayland : "-");
  }
}

struct ProgramRun {
  int exit_code = -1;
  bool crashed = false;
  QString error;
};

// Runs the window program with the display variables given here and no others.
ProgramRun run_program(const QStringList& display_variables) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET"})
    environment.remove(QString::fromLatin1(name));
  for (const QString& variable : display_variables)
    environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
  QProcess program;
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(VELTRANE_BINARY_DIR "/backends/qt/veltrane"), {});
  ProgramRun run;
  if (!program.waitForFinished(20000)) {
    program.kill();
    program.waitForFinished();
    run.error = QStringLiteral("<still running>");
    return run;
  }
  run.crashed = program.exitStatus() != QProcess::NormalExit;
  run.exit_code = program.exitCode();
  run.error = QString::fromUtf8(program.readAllStandardError());
  return run;
}

TEST(Display, WithoutOneTheProgramSaysSoInOneLineAndEndsWithOne) {
  const QString expected = QString::fromUtf8(no_display_message) + '\n';
  // No display at all, then one that names a server nobody runs.
  for (const QStringList& variables : {QStringList{}, QStringList{QStringLiteral("DISPLAY=:97")}}) {
    const ProgramRun run = run_program(variables);
    EXPECT_FALSE(run.crashed) << variables.join(' ').toStdString();
    EXPECT_EQ(run.exit_code, 1) << variables.join(' ').toStdString();
    EXPECT_EQ(run.error.toStdString(), expected.toStdString());
  }
}

}  // namespace
}  // namespace veltrane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/CupsSession.h"

#include <QProcess>
#include <QRegularExpression>
#include <cstdlib>

namespace
{

// Found through the source folder named at build time: the script is not installed beside the test programs.
const QString Script = QStringLiteral(KELVARA_TEST_SUPPORT_DIR "/cups_session.sh");

} // namespace

QString RunTool(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromUtf8(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

TCupsSession::TCupsSession()
{
    const QString out = Run({ QStringLiteral("start") });
    // The script prints shell assignments: KEY='value'.
    static const QRegularExpression assignment(QStringLiteral("(\\w+)='([^']*)'"));
    for (auto m = assignment.globalMatch(out); m.hasNext();) {
        const QRegularExpressionMatch one = m.next();
        FEnvironment.insert(one.captured(1), one.captured(2));
    }
    FEnvironment.remove(QStringLiteral("PRINTER"));
    FEnvironment.remove(QStringLiteral("LPDEST"));
    FError = FEnvironment.contains(QStringLiteral("CUPS_SESSION_PID")) ? QString() : out;
}

TCupsSession::~TCupsSession()
{
    if (FError.isEmpty())
        Run({ QStringLiteral("stop") });
}

void TCupsSession::Export() const
{
    for (const QString &name : FEnvironment.keys())
        if (name.startsWith(QStringLiteral("CUPS_")))
            setenv(name.toUtf8().constData(), FEnvironment.value(name).toUtf8().constData(), 1);
    unsetenv("PRINTER");
    unsetenv("LPDEST");
}

bool TCupsSession::WaitForJobs() const
{
    return Run({ QStringLiteral("wait"), QStringLiteral("60") }).isEmpty();
}

void TCupsSession::RemovePrinter() const
{
    Run({ QStringLiteral("nodefault") });
}

void TCupsSession::ClearDefault() const
{
    Run({ QStringLiteral("undefault") });
}

QString TCupsSession::AddPrinter(const QString &name) const
{
    Run({ QStringLiteral("add"), name });
    return FEnvironment.value(QStringLiteral("CUPS_SESSION_DIR")) + QStringLiteral("/out/") + name
        + QStringLiteral(".pdf");
}

void TCupsSession::RemovePrinter(const QString &name) const
{
    Run({ QStringLiteral("remove"), name });
}

QString TCupsSession::Run(const QStringList &arguments) const
{
    return RunTool(QStringLiteral("bash"), QStringList { Script } + arguments, FEnvironment);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Runs a program to its end (at most a minute) and returns its standard output; when it fails, a "<program failed:
// ...>" text with its standard error instead, which no expected output matches.
QString RunTool(const QString &program, const QStringList &arguments,
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

// A private print server (tests/support/cups_session.sh) while the object lives: cupsd on a socket of its own whose
// default queue writes each job as a PDF file. Ended by its process id.
class TCupsSession
{
public:
    TCupsSession();
    ~TCupsSession();
    TCupsSession(const TCupsSession &) = delete;
    TCupsSession &operator=(const TCupsSession &) = delete;

    // Empty when the server runs; otherwise what the start script said.
    QString Error() const { return FError; }
    // This process's environment with the server's variables: for a child process that prints there.
    QProcessEnvironment Environment() const { return FEnvironment; }
    // Puts the server's variables into this process's own environment, for printing in-process (the print system
    // reads them once, at its first use).
    void Export() const;

    QString Printer() const { return FEnvironment.value(QStringLiteral("CUPS_SESSION_PRINTER")); }
    // The PDF file of the last finished job.
    QString Output() const { return FEnvironment.value(QStringLiteral("CUPS_SESSION_OUTPUT")); }
    // Waits until no job is pending; false when one still is after a minute.
    bool WaitForJobs() const;
    // Removes the queue: afterwards there is no default printer.
    void RemovePrinter() const;
    // Keeps the queue but no longer as the default: afterwards there are queues and no default printer.
    void ClearDefault() const;
    // Adds a queue, not the default, and returns the PDF file of its last finished job.
    QString AddPrinter(const QString &name) const;
    void RemovePrinter(const QString &name) const;

private:
    QString Run(const QStringList &arguments) const;

    QProcessEnvironment FEnvironment = QProcessEnvironment::systemEnvironment();
    QString FError;
};

#pragma once

#include <QString>
#include <QVector>

#include <functional>

// What one run of a benchmark case reports.
struct BenchResult
{
    bool ok = false;
    double hostCpuMs = 0;      // process CPU time of the measured part
    double hostWallMs = 0;     // wall time of the measured part
    qint64 mandatedWaitMs = 0; // virtual time the protocol slept
    qint64 sleeps = 0;         // number of waits
    QString detail;            // commands, packets, bytes
};

// Runs work and fills the host times of result (setting up the emulated
// devices stays outside).
void measureHost(BenchResult &result, const std::function<void()> &work);

// One case: sets up its emulated devices, measures the protocol part with
// measureHost, and reports.
struct BenchCase
{
    QString name;
    std::function<BenchResult()> run;
};

// Cases per device family (familyabench.cpp, ...).
QVector<BenchCase> familyABenchCases();
QVector<BenchCase> familyBBenchCases();

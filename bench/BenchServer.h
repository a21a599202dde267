#pragma once
// The lab server of the benchmarks: scripts/bench.sh starts a throwaway PostgreSQL and names
// its socket folder in FLUXMERE_BENCH_PGHOST.

#include <QString>

// A new database with every table on the benchmark server, by its address (the login's
// password inside it).
QString NewServerDatabase(const QString& name);

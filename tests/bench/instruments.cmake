# SPDX-License-Identifier: GPL-3.0-or-later
# The chart's instruments: measurements over the visible points, spectra, XY pairing.
kelvara_add_benchmark(NAME bench_instruments QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/InstrumentsBench.cpp
    LIBS kelvara_console)

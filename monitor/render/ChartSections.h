#pragma once
// The sections of the statistics chart, top to bottom. Each draws at the
// pass's y, moves y past itself and publishes its band for the hover.
#include <string>

#include "monitor/render/ChartPass.h"

namespace cx {

void DrawTemperatureSection(tChartPass& pass);
void DrawVoltageSection(tChartPass& pass);
void DrawFanSection(tChartPass& pass);
void DrawMemorySection(tChartPass& pass);
void DrawCPUSection(tChartPass& pass);
void DrawNetworkSection(tChartPass& pass);
void DrawBatterySection(tChartPass& pass);
void DrawDiskSection(tChartPass& pass);

// The battery's charge rate in capacity units per day, from the newest rows
// of the 8-hour log back to the last change of the power source or of the
// full-charged capacity, or to a row more than 10 minutes old; 0 when unknown.
double ChargeRatePerDay(const tT& shortLog, const tSample& current, double spanHours);
// "Battery: 50.0 % (25000 of 50000 mWh)" and the time left or to full.
std::string BatteryStatusText(const tChartPass& pass, double rate);

}  // namespace cx

#pragma once
// The system's event log is syslog with the ident "Calorix".
#include <string>

namespace cx {

// Reports one warning with the event id and the text; errors are swallowed.
void ReportSyslogWarning(int eventId, const std::string& text);

}  // namespace cx

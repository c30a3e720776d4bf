// Warnings for the system's log: syslog with the ident "Calorix".
#include "platform/Syslog.h"

#include <syslog.h>

namespace cx {

void ReportSyslogWarning(int eventId, const std::string& text) {
    // Opened and closed around the one entry, as an event source is
    // registered and deregistered; syslog itself reports no errors.
    openlog("Calorix", LOG_PID, LOG_USER);
    // The text is an argument, never the format, so a '%' in it stays text.
    syslog(LOG_WARNING, "Event %d: %s", eventId, text.c_str());
    closelog();
}

}  // namespace cx

#pragma once
// Who and where this process runs.
#include <optional>
#include <string>
#include <vector>

namespace cx {

// The login name of the user the process runs as (from the password database,
// else $USER). Nothing when neither gives a name.
std::optional<std::string> UserName();

// The machine's host name as the socket layer reports it (gethostname).
std::string HostName();

// The machine's IP addresses as texts, IPv4 first, loopback addresses left out
// (the list a resolver gives for the host's own name).
std::vector<std::string> LocalIPAddresses();

// The value of an environment variable, empty when it is not defined.
std::string EnvironmentValue(const std::string& name);

}  // namespace cx

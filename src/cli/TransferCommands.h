#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ops {
class LinkSession;
}

// The commands of quorlin-cli that talk to the instrument: ports, get, send and verify.
// Each takes the arguments after its name and returns the process exit code.
int RunPortsCommand(std::vector<std::string> in_args);
int RunGetCommand(std::vector<std::string> in_args);
int RunSendCommand(std::vector<std::string> in_args);
int RunVerifyCommand(std::vector<std::string> in_args);

// Runs in_body in a session on the devices named in_in and in_out (an id or a name as
// quorlin-cli ports lists them; an empty one for a direction the command does not use),
// with the built-in instrument on in_channel. Returns in_body's exit code, or that of
// the usage error when a device is not found.
int RunInLinkSession(const std::string& in_in, const std::string& in_out, int in_channel,
                     const std::function<int(ops::LinkSession& io_session)>& in_body);

// Who may talk to `zuv web`: the listen address (loopback unless a token is
// given), the token every request then carries, and the Host and Origin
// headers a request from the page itself has (a page of another site that
// resolves its own name to 127.0.0.1 sends its own name as Host).
// Errors: parseListenAddress and checkListenAccess throw ToolError status 2
// naming the problem; nothing is bound before they pass. Threading: pure,
// except randomToken (reads /dev/urandom).
#pragma once

#include <string>
#include <string_view>

namespace zuv::tool {

struct ListenAddress {
    std::string host;  // "127.0.0.1", "::1", "0.0.0.0", "localhost"
    int port = 0;
};

// "127.0.0.1:8080", "[::1]:8080", "localhost:8080"; port 0 picks a free one.
ListenAddress parseListenAddress(const std::string &text);
bool isLoopbackHost(const std::string &host);
// A listen address off loopback needs a token of at least 16 characters.
void checkListenAccess(const ListenAddress &address, const std::string &token);
// 32 hexadecimal digits.
std::string randomToken();

// Same length and bytes, in a time that does not tell where they differ.
bool tokensMatch(std::string_view given, std::string_view expected);
// Host header of a request that the page on this server sends: the listen
// address itself, or a loopback name with the same port.
bool hostAllowed(std::string_view hostHeader, const ListenAddress &address);
// An Origin header that is present must be this server's own.
bool originAllowed(std::string_view origin, std::string_view hostHeader);

}  // namespace zuv::tool

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RemotePortName.h"

#include <cctype>

namespace
{

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}

constexpr std::string_view Rfc2217Scheme = "rfc2217://";
constexpr std::string_view TcpScheme = "tcp://";

} // namespace

bool IsRemotePortName(std::string_view portName)
{
    return StartsWithNoCase(portName, Rfc2217Scheme) || StartsWithNoCase(portName, TcpScheme);
}

std::optional<TRemotePortName> ParseRemotePortName(std::string_view portName)
{
    TRemotePortName name;
    std::string_view rest;
    if (StartsWithNoCase(portName, Rfc2217Scheme)) {
        name.Kind = TRemotePortName::Rfc2217;
        rest = portName.substr(Rfc2217Scheme.size());
    } else if (StartsWithNoCase(portName, TcpScheme)) {
        name.Kind = TRemotePortName::RawTcp;
        rest = portName.substr(TcpScheme.size());
    } else {
        return std::nullopt;
    }
    if (!rest.empty() && rest.back() == '/')
        rest.remove_suffix(1);

    std::string_view host, port;
    if (!rest.empty() && rest.front() == '[') {
        size_t close = rest.find(']');
        if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':')
            return std::nullopt;
        host = rest.substr(1, close - 1);
        port = rest.substr(close + 2);
    } else {
        size_t colon = rest.rfind(':');
        if (colon == std::string_view::npos)
            return std::nullopt;
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
        if (host.find(':') != std::string_view::npos)
            return std::nullopt;
    }
    if (host.empty() || port.empty() || port.size() > 5)
        return std::nullopt;
    unsigned long number = 0;
    for (char c : port) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + static_cast<unsigned long>(c - '0');
    }
    if (number < 1 || number > 65535)
        return std::nullopt;
    name.Host = std::string(host);
    name.Port = static_cast<uint16_t>(number);
    return name;
}

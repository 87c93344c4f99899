#include "platform/windows/registry.h"

#include <cstring>
#include <vector>

namespace platform::win {

namespace {

constexpr DWORD MaxStringBytes = 1024 * 1024;

} // namespace

ValueRead readStringValue(HKEY key, const wchar_t* name, std::wstring& value,
                          bool acceptExpandable) {
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    // The value may change between the two calls; a few rounds settle it.
    for (int round = 0; round < 4; ++round) {
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
            return ValueRead::Missing;
        if (type != REG_SZ && !(acceptExpandable && type == REG_EXPAND_SZ))
            return ValueRead::WrongType;
        if (size > MaxStringBytes)
            return ValueRead::Missing;
        // Room for a terminating zero that the stored data may lack.
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = size;
        status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                  &got);
        if (status == ERROR_MORE_DATA) {
            size = got;
            continue;
        }
        if (status != ERROR_SUCCESS)
            return ValueRead::Missing;
        if (type != REG_SZ && !(acceptExpandable && type == REG_EXPAND_SZ))
            return ValueRead::WrongType;
        const std::size_t count = got / sizeof(wchar_t);
        std::size_t length = 0;
        while (length < count && buffer[length] != L'\0')
            ++length;
        value.assign(buffer.data(), length);
        return ValueRead::Ok;
    }
    return ValueRead::Missing;
}

ValueRead readDwordValue(HKEY key, const wchar_t* name, std::int32_t& value) {
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof(data);
    const LSTATUS status =
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    if (status == ERROR_FILE_NOT_FOUND)
        return ValueRead::Missing;
    if (status == ERROR_MORE_DATA)
        return ValueRead::WrongType;
    if (status != ERROR_SUCCESS)
        return ValueRead::Missing;
    if (type != REG_DWORD || size != sizeof(data))
        return ValueRead::WrongType;
    std::memcpy(&value, &data, sizeof(value));
    return ValueRead::Ok;
}

LSTATUS writeStringValue(HKEY key, const wchar_t* name, const std::wstring& value) {
    const std::size_t bytes = (value.size() + 1) * sizeof(wchar_t);
    if (bytes > MaxStringBytes)
        return ERROR_INVALID_PARAMETER;
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(bytes));
}

LSTATUS writeDwordValue(HKEY key, const wchar_t* name, std::int32_t value) {
    DWORD data = 0;
    std::memcpy(&data, &value, sizeof(data));
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof(data));
}

} // namespace platform::win

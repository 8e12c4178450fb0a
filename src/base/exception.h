// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// Base of every error a command can raise; the application's error box shows message().
class Exception : public std::exception
{
public:
    explicit Exception(QString message) : m_message(std::move(message)), m_what(m_message.toUtf8())
    {
    }
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_message;
    QByteArray m_what;
};

// A write to a profile file failed or was refused.
class EIniFileException : public Exception
{
public:
    using Exception::Exception;
};

// A read or write of the per-user store failed.
class ERegistryException : public Exception
{
public:
    using Exception::Exception;
};

// A text is not a whole number: "'%s' ist kein gültiger Integerwert".
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

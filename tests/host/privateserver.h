#pragma once

// Real processes and private database servers for tests that must see the program from
// outside: a killed process, a server stopped and started under it.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QHash>
#include <QStringList>
#include <chrono>
#include <thread>

#include "host/db/connection.h"

extern char** environ;

namespace fin::test {

using TClock = std::chrono::steady_clock;

inline double MsSince(TClock::time_point start) {
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

inline void SleepMs(double ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
}

// A child process whose output goes to files, so nothing blocks on a full pipe.
class TChild {
public:
    TChild(const QString& program, const QStringList& args, const QHash<QString, QString>& env) {
        char outName[] = "/tmp/fincrash-out-XXXXXX", errName[] = "/tmp/fincrash-err-XXXXXX";
        const int out = mkstemp(outName), err = mkstemp(errName);
        outPath_ = QString::fromLocal8Bit(outName);
        errPath_ = QString::fromLocal8Bit(errName);
        std::vector<QByteArray> argBytes{program.toLocal8Bit()};
        for (const QString& a : args)
            argBytes.push_back(a.toUtf8());
        std::vector<QByteArray> envBytes;
        for (char** e = environ; *e; ++e) {
            const QByteArray entry(*e);
            if (!env.contains(QString::fromLocal8Bit(entry.left(entry.indexOf('=')))))
                envBytes.push_back(entry);
        }
        for (auto it = env.cbegin(); it != env.cend(); ++it)
            envBytes.push_back((it.key() + QLatin1Char('=') + it.value()).toUtf8());
        std::vector<char*> argv, envp;
        for (QByteArray& a : argBytes)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        for (QByteArray& e : envBytes)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        start_ = TClock::now();
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out, STDOUT_FILENO);
            dup2(err, STDERR_FILENO);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        close(out);
        close(err);
    }
    ~TChild() {
        if (pid_ > 0 && !finished_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        QFile::remove(outPath_);
        QFile::remove(errPath_);
    }
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;

    double ElapsedMs() const { return MsSince(start_); }

    // True once the process has ended by itself.
    bool Poll() {
        if (finished_)
            return true;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) != pid_)
            return false;
        Finish(status);
        return true;
    }

    // Waits until it ends; killed with SIGKILL once killAtMs (from its start) has passed,
    // unless that is negative. True when the kill ended it.
    bool Wait(double killAtMs = -1, double timeoutMs = 600000) {
        while (!Poll()) {
            const double elapsed = ElapsedMs();
            if ((killAtMs >= 0 && elapsed >= killAtMs) || elapsed >= timeoutMs) {
                kill(pid_, SIGKILL);
                int status = 0;
                waitpid(pid_, &status, 0);
                Finish(status);
                killed_ = true;
                break;
            }
            SleepMs(std::min(0.2, killAtMs >= 0 ? std::max(0.0, killAtMs - elapsed) : 0.2));
        }
        return killed_;
    }

    bool Killed() const { return killed_; }
    int ExitCode() const { return exitCode_; }
    double Ms() const { return ms_; }
    QString Out() const { return Read(outPath_); }
    QString Err() const { return Read(errPath_); }

private:
    void Finish(int status) {
        finished_ = true;
        ms_ = ElapsedMs();
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static QString Read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    pid_t pid_ = -1;
    TClock::time_point start_;
    bool finished_ = false, killed_ = false;
    int exitCode_ = -1;
    double ms_ = 0;
    QString outPath_, errPath_;
};

// A private server in a folder of its own, started and stopped by the project's script.
class TPrivateServer {
public:
    TPrivateServer(QString script, QString dir)
        : script_(std::move(script)), dir_(std::move(dir)) {}
    ~TPrivateServer() { Stop(); }

    QString Start() {
        QString out;
        if (QString wrong = Script(QStringLiteral("start"), &out); !wrong.isEmpty())
            return wrong;
        for (const QString& line : out.split(QLatin1Char('\n'))) {
            const QString key = QStringLiteral("export FINANSIJE_DB_SOCKET=");
            if (line.startsWith(key))
                socket_ = line.mid(key.size()).trimmed();
        }
        return socket_.isEmpty() ? QStringLiteral("server bez utičnice: ") + out : QString();
    }
    QString Stop() { return Script(QStringLiteral("stop")); }

    TConnectionSettings Settings() const {
        TConnectionSettings s;
        s.socket = socket_;
        s.user = QStringLiteral("root");
        return s;
    }

private:
    QString Script(const QString& command, QString* out = nullptr) {
        TChild child(QStringLiteral("/bin/bash"), {script_, command, dir_}, {});
        child.Wait(-1, 180000);
        if (out)
            *out = child.Out();
        if (child.ExitCode() != 0)
            return QStringLiteral("finansije-db %1: %2").arg(command, child.Err());
        return {};
    }

    QString script_, dir_, socket_;
};

}  // namespace fin::test

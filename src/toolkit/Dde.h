// Dynamic Data Exchange through the DDE management library: a DDEML instance, and client
// conversations that send a server execute commands.
#pragma once

#include <windows.h>
#include <ddeml.h>

#include <functional>
#include <string>

#include "platform/Win32Handles.h"

namespace rondel {

// A DDEML instance (standard application class, no filters). It serves the thread that made
// it only, for as long as it lives. Its callback marks a conversation's execute as answered.
class TDdeInstance {
public:
    TDdeInstance();
    ~TDdeInstance();
    TDdeInstance(const TDdeInstance&) = delete;
    TDdeInstance& operator=(const TDdeInstance&) = delete;

    DWORD Id() const { return id_; }

private:
    static HDDEDATA CALLBACK Callback(UINT type, UINT format, HCONV conversation, HSZ first, HSZ second,
                                      HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);
    DWORD id_ = 0;
};

// A client conversation with one service and topic. Released, it closes its link.
class TDdeClientConv {
public:
    explicit TDdeClientConv(DWORD instance);
    ~TDdeClientConv();
    TDdeClientConv(const TDdeClientConv&) = delete;
    TDdeClientConv& operator=(const TDdeClientConv&) = delete;

    // The program that serves the service, started when no server answers.
    void SetServiceApplication(const std::string& commandPath) { serviceApplication_ = commandPath; }
    const std::string& ServiceApplication() const { return serviceApplication_; }

    // Connects to the service's topic. When no server answers and a service application is
    // set, start(path) starts it (a WinExec-style answer: 32 or more when it started) and the
    // connection is tried once more, without waiting. True when connected.
    bool SetLink(const std::string& service, const std::string& topic,
                 const std::function<unsigned(const std::string& path)>& start);
    void CloseLink();
    bool Connected() const { return conversation_ != nullptr; }

    // Starts an execute transaction with the command and its NUL as CF_TEXT, not waiting for
    // its answer. False (and the link closed) when it could not be started.
    bool ExecuteMacro(const std::string& command);
    // Set while a started execute has had no answer.
    bool Waiting() const { return waiting_; }
    void TransactionComplete() { waiting_ = false; }

private:
    HCONV Connect();

    DWORD instance_;
    std::string serviceApplication_;
    std::string service_;
    std::string topic_;
    unique_hsz serviceHandle_;
    unique_hsz topicHandle_;
    HCONV conversation_ = nullptr;
    UINT format_ = CF_TEXT;
    bool waiting_ = false;
};

}  // namespace rondel

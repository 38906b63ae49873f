// What the installation shows while it runs: the port page's progress bar, the registry
// message, and the short pause before the bar reaches its end.
#pragma once
#include <string>

class InstallFeedback {
public:
    virtual ~InstallFeedback() = default;
    virtual void SetProgress(int position) = 0;
    // "错误：无法设置有关的注册表信息"; the installation goes on after the user's OK.
    virtual void ShowRegistryMessage() = 0;
    virtual void Pause(int milliseconds) = 0;
    // Windows warns that the driver may make the system unreliable: install it anyway? No is
    // the answer where nobody can be asked (NobodyToAsk).
    enum class Answer { Yes, No, NobodyToAsk };
    virtual Answer AskInstallWarnedDriver(const std::string& driverName)
    {
        (void)driverName;
        return Answer::NobodyToAsk;
    }
};

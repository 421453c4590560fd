// Runs the host tool as a child process and reads its "key: value" report.
#pragma once

#include <juce_core/juce_core.h>

struct HostToolRun
{
    int exitCode = -1;
    juce::String output;

    // The text after "key: " on the first line that starts with it.
    juce::String value(const juce::String& key) const
    {
        for (const auto& line : juce::StringArray::fromLines(output))
            if (line.startsWith(key + ": "))
                return line.fromFirstOccurrenceOf(": ", false, false);
        return {};
    }
    juce::StringArray linesStartingWith(const juce::String& prefix) const
    {
        juce::StringArray result;
        for (const auto& line : juce::StringArray::fromLines(output))
            if (line.startsWith(prefix))
                result.add(line);
        return result;
    }
};

inline HostToolRun runHostTool(const juce::StringArray& arguments)
{
    juce::StringArray command;
    command.add(QUORVELINE_HOST_TOOL);
    command.addArray(arguments);

    HostToolRun run;
    juce::ChildProcess process;
    if (!process.start(command, juce::ChildProcess::wantStdOut))
        return run;
    run.output = process.readAllProcessOutput();
    process.waitForProcessToFinish(120000);
    run.exitCode = (int)process.getExitCode();
    return run;
}

inline juce::File makeTemporaryFile(const juce::String& suffix) { return juce::File::createTempFile(suffix); }

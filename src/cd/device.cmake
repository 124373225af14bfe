target_sources(verselet_core PRIVATE
    disc.h
    cdiodisc.h cdiodisc.cpp
    audiofilesdisc.h audiofilesdisc.cpp
    framering.h
    audiooutput.h silentoutput.cpp
    playbackengine.h playbackengine.cpp
    mediumwatch.h mediumwatch.cpp
    cdaudiodevice.h
    discaudiodevice.h discaudiodevice.cpp
    envelope.h envelope.cpp
)

target_sources(verselet_audio PRIVATE
    sinkoutput.h sinkoutput.cpp
)

target_sources(verselet_ui PRIVATE
    openprogress.h openprogress.cpp
)

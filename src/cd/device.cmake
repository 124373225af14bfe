# device, backends, playback engine

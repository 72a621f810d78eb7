// replaced by the tag modules

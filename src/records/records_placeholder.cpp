// replaced by the record modules
